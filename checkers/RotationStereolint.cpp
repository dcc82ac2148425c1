#include "checkers/RotationStereolint.h"

#include "checkers/PairwiseMeasures.h"
#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

RotationStereolint::RotationStereolint(std::string parameters)
    : StereolintInterface(std::move(parameters)) {}

cv::Mat RotationStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, amount, 1.0);
}

Results RotationStereolint::compute(const FeatureMatches* matches, cv::Mat left,
                                    cv::Mat right) const {
  static const MeasurementKind kind{keys::kRotation, meanPairAngle, meanPairAngles, 0.0};
  return measureSingle(*this, kind, matches, std::move(left), std::move(right));
}

cv::Mat RotationStereolint::visualize(const Results& /*results*/) const { return blackSummary(); }

}  // namespace stereolint
