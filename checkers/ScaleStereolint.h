// Measures how much one view of a stereo pair is magnified against the other.
#pragma once

#include "checkers/SingleMeasurement.h"

namespace stereolint {

// Per distinct left feature i: the mean over every other match j of dl / dr,
// the vertical distance from j to i in the left view over the same distance
// in the right view (pairs with dr = 0 are left out; a feature without
// partners measures 0). 1 means equal scale. The right view is corrected by
// scaling it by the median ratio. Result name "SCALE".
class ScaleStereolint : public SingleStereolint {
 public:
  explicit ScaleStereolint(std::string parameters);

  // `view` scaled by `amount` about (columns / 2, rows / 2), keeping its
  // size, bilinear, black where nothing maps. An amount of 1 reproduces it.
  cv::Mat correct(cv::Mat view, double amount) const override;

 protected:
  const MeasurementKind& kind() const override;
};

}  // namespace stereolint
