#include "checkers/ScaleStereolint.h"

#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

double meanSeparationRatio(const std::vector<cv::KeyPoint>& leftKeypoints,
                           const std::vector<cv::KeyPoint>& rightKeypoints,
                           const std::vector<cv::DMatch>& matches, size_t i) {
  const float li = leftKeypoints[static_cast<size_t>(matches[i].queryIdx)].pt.y;
  const float ri = rightKeypoints[static_cast<size_t>(matches[i].trainIdx)].pt.y;
  double sum = 0.0;
  int used = 0;
  for (size_t j = 0; j < matches.size(); ++j) {
    if (j == i) continue;
    const float lj = leftKeypoints[static_cast<size_t>(matches[j].queryIdx)].pt.y;
    const float rj = rightKeypoints[static_cast<size_t>(matches[j].trainIdx)].pt.y;
    const auto dl = static_cast<double>(li - lj);
    const auto dr = static_cast<double>(ri - rj);
    if (dr == 0) continue;
    sum += dl / dr;
    ++used;
  }
  return used > 0 ? sum / used : 0.0;
}

}  // namespace

ScaleStereolint::ScaleStereolint(std::string parameters)
    : StereolintInterface(std::move(parameters)) {}

cv::Mat ScaleStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, 0.0, amount);
}

Results ScaleStereolint::compute(const FeatureMatches* matches, cv::Mat left,
                                 cv::Mat right) const {
  static const MeasurementKind kind{keys::kScale, meanSeparationRatio, 1.0};
  return measureSingle(*this, kind, matches, std::move(left), std::move(right));
}

cv::Mat ScaleStereolint::visualize(const Results& /*results*/) const { return blackSummary(); }

}  // namespace stereolint
