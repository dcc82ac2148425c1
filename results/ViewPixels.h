// Views as the checkers, the report's pictures and the renderer work on
// them, whatever the input gives: one channel or three (blue, green, red)
// or four (with alpha), 8 or 16 bits per channel.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint {

// 8-bit depth: 16-bit values are scaled by 1/256 (as the other checkers
// read them), other depths are converted as they are (saturating).
cv::Mat toEightBit(const cv::Mat& view);

// An 8-bit grey view (the luma of a colour view).
cv::Mat toGrey(const cv::Mat& view);

// Three channels at the view's own depth: grey repeated, alpha dropped;
// a three-channel view is returned as it is (sharing its pixels), one of
// another channel count as its first channel repeated.
cv::Mat toThreeChannels(const cv::Mat& view);

// An 8-bit three-channel view (toEightBit, then toThreeChannels), for
// pictures; it may share the view's pixels.
cv::Mat toColour(const cv::Mat& view);

}  // namespace stereolint
