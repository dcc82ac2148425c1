// The crop that removes the empty edges warps leave: the largest rectangle
// of the view's shape that every warped eye fills.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <vector>

namespace stereolint::corrections {

// The corners of a view of `view` size, pixel edges in pixel-centre
// coordinates ((-0.5, -0.5) is the top-left corner of the picture), taken
// through the homography `h`: where the warped eye's picture lies, in
// clockwise order on screen.
std::array<cv::Point2d, 4> warpedOutline(const cv::Matx33d& h, cv::Size view);

// The crop, in the pixel-centre coordinates of the warped views.
struct Crop {
  cv::Point2d centre;   // the crop's centre
  double fraction = 1;  // its width over the view's width (= height over height)
};

// The largest rectangle with the shape of `view` (its width over height)
// that lies, `margin` pixels clear of every edge, inside each convex
// `outline`, and inside the view itself; of the centres that give that
// size, the middle one. A fraction of 1 and the view's centre when the
// outlines cover the whole view.
Crop fitCrop(const std::vector<std::array<cv::Point2d, 4>>& outlines, cv::Size view, double margin);

}  // namespace stereolint::corrections
