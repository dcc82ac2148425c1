#include "checkers/RotationStereolint.h"

#include "checkers/PairwiseMeasures.h"
#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

RotationStereolint::RotationStereolint(std::string parameters)
    : SingleStereolint(std::move(parameters)) {}

cv::Mat RotationStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, amount, 1.0);
}

const MeasurementKind& RotationStereolint::kind() const {
  static const MeasurementKind kind{keys::kRotation, meanPairAngle, meanPairAngles, 0.0};
  return kind;
}

}  // namespace stereolint
