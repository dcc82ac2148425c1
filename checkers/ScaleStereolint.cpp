#include "checkers/ScaleStereolint.h"

#include "checkers/PairwiseMeasures.h"
#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

ScaleStereolint::ScaleStereolint(std::string parameters)
    : StereolintInterface(std::move(parameters)) {}

cv::Mat ScaleStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, 0.0, amount);
}

Results ScaleStereolint::compute(const FeatureMatches* matches, cv::Mat left,
                                 cv::Mat right) const {
  static const MeasurementKind kind{keys::kScale, meanSeparationRatio, meanSeparationRatios, 1.0};
  return measureSingle(*this, kind, matches, std::move(left), std::move(right));
}

cv::Mat ScaleStereolint::visualize(const Results& /*results*/) const { return blackSummary(); }

}  // namespace stereolint
