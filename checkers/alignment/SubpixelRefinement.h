// Sub-pixel positions of matched features: keypoints are whole pixels of a
// coarse level, the alignment fit needs hundredths of a row.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "checkers/alignment/AlignmentFit.h"

namespace stereolint {

// Moves every pair's left position to the nearest pixel centre and finds
// its right position to a fraction of a pixel by iterative gradient
// matching of the 21 x 21 patch around it (Lucas-Kanade at full
// resolution, starting from the given right position, which must be within
// a pixel or two). `left` and `right` are
// 8-bit one-channel views of one size. Returns one flag per pair: false
// when the patch could not be followed, left the view, or moved more than
// 3 pixels from where it started (such pairs keep their old right
// position and must not be used).
std::vector<bool> refineSubpixel(const cv::Mat& left, const cv::Mat& right,
                                 std::vector<PointPair>& pairs);

}  // namespace stereolint
