#include "checkers/ScaleStereolint.h"

#include "checkers/PairwiseMeasures.h"
#include "checkers/SingleMeasurement.h"
#include "results/ResultKeys.h"

namespace stereolint {

ScaleStereolint::ScaleStereolint(std::string parameters)
    : SingleStereolint(std::move(parameters)) {}

cv::Mat ScaleStereolint::correct(cv::Mat view, double amount) const {
  return warpAboutCentre(view, 0.0, amount);
}

const MeasurementKind& ScaleStereolint::kind() const {
  static const MeasurementKind kind{keys::kScale, meanSeparationRatio, meanSeparationRatios, 1.0};
  return kind;
}

}  // namespace stereolint
