// Measures the vertical offset between the two views of a stereo pair.
#pragma once

#include "checkers/SingleMeasurement.h"

namespace stereolint {

// Per distinct left feature: left row minus right row of its match, in
// pixels (positive when the feature lies lower in the left view). The right
// view is corrected by shifting its rows by the median offset. Result name
// "VERTICAL".
class VerticalStereolint : public SingleStereolint {
 public:
  explicit VerticalStereolint(std::string parameters);

  // A copy of `view` with its content moved down by trunc(amount) rows (up
  // for a negative amount). The rows the shift uncovers keep the view's own
  // pixels; an amount of at least the row count changes nothing.
  cv::Mat correct(cv::Mat view, double amount) const override;

 protected:
  const MeasurementKind& kind() const override;
};

}  // namespace stereolint
