// One warp over one picture size, worked out once: for every output pixel
// its position in the source, in the image library's fixed-point form (the
// whole pixel, and the fraction in 32nds that picks the bicubic weights),
// exactly as cv::warpPerspective works it out for itself on each call.
// Applying it gives what cv::warpPerspective gives for that warp (bicubic,
// the picture's edge repeated), sample for sample, while the positions are
// worked out once for all the frames of a shot rather than once per
// picture.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint::corrections {

class WarpMaps {
 public:
  // `warp` from the source picture's pixels to the output's (integers at
  // pixel centres), never singular; `size` the output's.
  WarpMaps(const cv::Matx33d& warp, cv::Size size);

  // `source` warped into `target` (made `size` and `source`'s type unless
  // it already is, so a view into a larger picture is written in place).
  void apply(const cv::Mat& source, cv::Mat& target) const;

 private:
  cv::Mat positions;  // CV_16SC2: whole source pixel, x and y
  cv::Mat fractions;  // CV_16UC1: row fraction * 32 + column fraction, in 32nds
};

}  // namespace stereolint::corrections
