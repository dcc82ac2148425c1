// Pictures of how the eyes differ, at the size of the depth's map.
#pragma once

#include <opencv2/core.hpp>

#include "checkers/eyes/Highlights.h"
#include "checkers/eyes/Sharpness.h"

namespace stereolint {

// What differs between the eyes once the right is moved onto the left and
// matched in colour: the absolute difference per channel, four times
// brighter, mid grey where the eyes are not compared (occlusions, edges),
// and the regions of one-eye light outlined (yellow: left eye only, cyan:
// right eye only).
cv::Mat differencePicture(const cv::Mat& left, const cv::Mat& matchedRight,
                          const cv::Mat& compared, const HighlightFigures& highlights);

// The left view with the 3 x 3 grid of the sharpness zones, each labelled
// with its ratio (right over left) and tinted red where the right eye is
// softer by more than 5 %, blue where the left is.
cv::Mat sharpnessPicture(const cv::Mat& left, const SharpnessFigures& sharpness);

}  // namespace stereolint
