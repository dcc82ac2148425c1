// Measures how much one view of a stereo pair is rotated against the other.
#pragma once

#include "checkers/SingleMeasurement.h"

namespace stereolint {

// Per distinct left feature i: the mean over every other match j of
// atan((dyR - dyL) / dxL) in degrees, where dxL, dyL are the offsets from j
// to i in the left view and dyR in the right view (pairs with dxL = 0 or
// dxR = 0 are left out; a feature without partners measures 0). The right
// view is corrected by rotating it by the median angle. Result name
// "ROTATION".
class RotationStereolint : public SingleStereolint {
 public:
  explicit RotationStereolint(std::string parameters);

  // `view` rotated by `amount` degrees (anticlockwise for positive amounts)
  // about (columns / 2, rows / 2), bilinear, black where nothing maps.
  cv::Mat correct(cv::Mat view, double amount) const override;

 protected:
  const MeasurementKind& kind() const override;
};

}  // namespace stereolint
