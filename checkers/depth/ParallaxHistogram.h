// How the parallax of a dense map spreads over a range: the share of its
// valid pixels in each of a few equal bins, for a histogram people read.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace stereolint {

// The share (0 to 1) of the valid (not NaN) pixels of `map` (CV_32F,
// parallax in pixels of the map) in each of `bins` equal parts of [`from`,
// `to`) (pixels of the map, from < to); a value outside the range counts in
// the nearest end bin. All zero when no pixel is valid.
std::vector<double> parallaxShares(const cv::Mat& map, double from, double to, int bins);

}  // namespace stereolint
