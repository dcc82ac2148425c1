// How pictures of any sample kind become what the checkers take: 8-bit or
// 16-bit unsigned samples (the checkers reduce 16-bit samples by 1/256).
//
// The rule, one for every format:
// - 8-bit and 16-bit unsigned samples are kept as they are.
// - Integer samples of another bit depth N (10 or 12 bits, as a DPX file
//   stores them) are scaled to 16 bits: v becomes round(v * 65535 / (2^N - 1)),
//   so the brightest value stays the brightest (a 10-bit 1023 becomes 65535).
// - Float samples (EXR, float TIFF) are taken as linear light from 0 to 1,
//   encoded with the sRGB transfer curve and stored as 16-bit samples. When
//   the picture's own range reaches outside 0-1 (a float TIFF holding
//   0-255), it is first scaled by that range: from min(0, low) to max(1,
//   high), which becomes 0-1, where low and high are the 0.1st and 99.9th
//   percentiles of its finite samples, so that a few hot pixels or wild
//   values do not decide it; a remark says so. Values beyond are clamped.
//   NaN becomes 0; infinities are clamped to 0 or 1 after scaling. An alpha
//   channel (the fourth) is scaled but not curved.
// - Signed integer samples are refused.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "util/Expected.h"

namespace stereolint {

// Scales integer samples of `bits` significant bits (1 to 16), held in a
// CV_16U picture, to the full 16-bit range. 16 bits leave the picture as it is.
cv::Mat scaleToSixteenBits(const cv::Mat& picture, int bits);

// A picture as the image library read it, in the sample kinds the checkers
// take (see the rule above). `path` names the file in the remarks and the
// failure; remarks for the user are added to `remarks`.
Expected<cv::Mat> toCheckerDepth(const cv::Mat& picture, const std::string& path,
                                 std::vector<std::string>& remarks);

}  // namespace stereolint
