#include "checkers/VerticalStereolint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

double verticalOffset(const std::vector<cv::KeyPoint>& leftKeypoints,
                      const std::vector<cv::KeyPoint>& rightKeypoints,
                      const std::vector<cv::DMatch>& matches, size_t i) {
  const cv::DMatch& match = matches[i];
  const float leftRow = leftKeypoints[static_cast<size_t>(match.queryIdx)].pt.y;
  const float rightRow = rightKeypoints[static_cast<size_t>(match.trainIdx)].pt.y;
  return static_cast<double>(leftRow - rightRow);
}

}  // namespace

VerticalStereolint::VerticalStereolint(std::string parameters)
    : SingleStereolint(std::move(parameters)) {}

cv::Mat VerticalStereolint::correct(cv::Mat view, double amount) const {
  cv::Mat result = view.clone();
  // Shifts of the whole height or more (and NaN) copy nothing.
  if (!(std::fabs(amount) < view.rows)) return result;
  const int s = static_cast<int>(amount);
  const int n = view.rows - std::abs(s);
  const int from = std::max(-s, 0);
  const int to = std::max(s, 0);
  if (n > 0) view.rowRange(from, from + n).copyTo(result.rowRange(to, to + n));
  return result;
}

const MeasurementKind& VerticalStereolint::kind() const {
  static const MeasurementKind kind{keys::kVertical, verticalOffset, nullptr, 0.0};
  return kind;
}

}  // namespace stereolint
