// A colour decision applied to an eye's picture, as
// results/ColourDecision.h defines it, on code values as delivered.
#pragma once

#include <opencv2/core.hpp>

#include "results/ColourDecision.h"

namespace stereolint::correct {

// `eye` (three channels, blue, green, red, of 8 or 16 bits) with `decision`
// applied to each pixel, each channel's code value read as value / 255 (or
// / 65535) and the result rounded to the nearest code value; same size
// and type. Float samples (linear light) are graded on their sRGB code
// values, as the decision was measured, and turned back into linear light.
cv::Mat gradeEye(const cv::Mat& eye, const ColourDecision& decision);

}  // namespace stereolint::correct
