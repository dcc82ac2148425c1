// Measures how much one view of a stereo pair is rotated against the other.
#pragma once

#include "checkers/StereolintInterface.h"

namespace stereolint {

// Per distinct left feature i: the mean over every other match j of
// atan((dyR - dyL) / dxL) in degrees, where dxL, dyL are the offsets from j
// to i in the left view and dyR in the right view (pairs with dxL = 0 or
// dxR = 0 are left out; a feature without partners measures 0). The right
// view is corrected by rotating it by the median angle. Result name
// "ROTATION".
class RotationStereolint : public StereolintInterface {
 public:
  explicit RotationStereolint(std::string parameters);

  // `view` rotated by `amount` degrees (anticlockwise for positive amounts)
  // about (columns / 2, rows / 2), bilinear, black where nothing maps.
  cv::Mat correct(cv::Mat view, double amount) const override;
  Results compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const override;
  // A 200 x 200 black picture, whatever the list.
  cv::Mat visualize(const Results& results) const override;
};

}  // namespace stereolint
