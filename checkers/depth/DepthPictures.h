// The pictures of the dense parallax: 8-bit, three channels (blue, green,
// red), at the map's size.
#pragma once

#include <opencv2/core.hpp>

#include "checkers/depth/DepthFigures.h"

namespace stereolint {

// The map coloured on a scale symmetric about the screen plane: content in
// front of the screen warm (orange to red the nearer), behind it cool (light
// to deep blue the farther), at the screen plane white, and pixels without
// a parallax grey.
cv::Mat parallaxPicture(const cv::Mat& map);

// `leftColour` (the left view at the map's size, `leftGrey` its luma) with
// the stretches of its left and right edges where content in front of the
// window is cut outlined in red, over the depth of the edge strip that was
// read.
cv::Mat windowPicture(const cv::Mat& leftColour, const cv::Mat& leftGrey, const cv::Mat& map,
                      const WindowMasks& masks);

}  // namespace stereolint
