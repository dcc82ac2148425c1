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

// The view shrunk by `scale` (at most 1) with area interpolation: each
// pixel the mean of those it covers, as the image library's area resize
// gives it. An 8-bit colour view shrunk to a third (1920 pixels wide to
// 640) is averaged block by block directly: the same values for about
// two thirds of the time. A scale of 1 or more returns the view itself.
cv::Mat shrinkByArea(const cv::Mat& view, double scale);

// Whether two views of one size and type hold the same values everywhere
// (false when size or type differ). It stops at the first row that
// differs, so unlike views cost next to nothing.
bool samePixels(const cv::Mat& a, const cv::Mat& b);

// Three channels at the view's own depth: grey repeated, alpha dropped;
// a three-channel view is returned as it is (sharing its pixels), one of
// another channel count as its first channel repeated.
cv::Mat toThreeChannels(const cv::Mat& view);

// An 8-bit three-channel view (toEightBit, then toThreeChannels), for
// pictures; it may share the view's pixels.
cv::Mat toColour(const cv::Mat& view);

}  // namespace stereolint
