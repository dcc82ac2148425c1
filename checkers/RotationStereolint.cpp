#include "checkers/RotationStereolint.h"

#include <cmath>

#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

// The rounded value of pi that the angle has always been computed with;
// numbers stay comparable with earlier measurements.
constexpr double kPi = 3.14159265359;

double meanPairAngle(const std::vector<cv::KeyPoint>& leftKeypoints,
                     const std::vector<cv::KeyPoint>& rightKeypoints,
                     const std::vector<cv::DMatch>& matches, size_t i) {
  const cv::Point2f li = leftKeypoints[static_cast<size_t>(matches[i].queryIdx)].pt;
  const cv::Point2f ri = rightKeypoints[static_cast<size_t>(matches[i].trainIdx)].pt;
  double sum = 0.0;
  int used = 0;
  for (size_t j = 0; j < matches.size(); ++j) {
    if (j == i) continue;
    const cv::Point2f lj = leftKeypoints[static_cast<size_t>(matches[j].queryIdx)].pt;
    const cv::Point2f rj = rightKeypoints[static_cast<size_t>(matches[j].trainIdx)].pt;
    // Differences in single precision, as the keypoints hold them.
    const auto dxL = static_cast<double>(li.x - lj.x);
    const auto dxR = static_cast<double>(ri.x - rj.x);
    if (dxL == 0 || dxR == 0) continue;
    const auto dyL = static_cast<double>(li.y - lj.y);
    const auto dyR = static_cast<double>(ri.y - rj.y);
    sum += std::atan((dyR - dyL) / dxL) * 180.0 / kPi;
    ++used;
  }
  return used > 0 ? sum / used : 0.0;
}

}  // namespace

RotationStereolint::RotationStereolint(std::string parameters)
    : StereolintInterface(std::move(parameters)) {}

cv::Mat RotationStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, amount, 1.0);
}

Results RotationStereolint::compute(const FeatureMatches* matches, cv::Mat left,
                                    cv::Mat right) const {
  static const MeasurementKind kind{keys::kRotation, meanPairAngle, 0.0};
  return measureSingle(*this, kind, matches, std::move(left), std::move(right));
}

cv::Mat RotationStereolint::visualize(const Results& /*results*/) const { return blackSummary(); }

}  // namespace stereolint
