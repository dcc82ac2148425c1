// The largest rectangle of a view's shape inside warped eyes, found by
// brute force on a fine grid: an independent check of the crop the
// corrections choose.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace bench {

// One eye as corrections.json describes it: the homography of the eye as
// shot to the corrected eye (pixel-centre coordinates: (0, 0) is the middle
// of the top-left pixel), then a move of `shift` columns (right positive).
struct WarpedEye {
  cv::Matx33d homography = cv::Matx33d::eye();
  double shift = 0;
};

// Steps of the grid: pixels are cut into this many parts each way.
inline constexpr int kGridSteps = 4;
inline constexpr int kGridShortfall = 2;

// A rectangle in pixel-edge coordinates ((0, 0) is the top-left corner of
// the top-left pixel, as corrections.json gives its crop).
struct Rectangle {
  double x = 0, y = 0, width = 0, height = 0;
};

// The largest rectangle with the shape of `view` (width over height) that
// lies inside the view and inside every eye's warped picture, `margin`
// pixels clear of that picture's edges. Each picture is rasterised on a
// grid of 1 / kGridSteps pixel; a cell counts when its four corners are
// inside (the picture is convex, so the whole cell is), and every size and
// place of the grid is tried. The answer is never larger than the true
// largest, and at most kGridShortfall grid steps smaller in height (the
// view's shape times that in width): a grid-aligned rectangle inside the
// true one loses up to a step at each side. Zero size when nothing fits.
Rectangle largestInnerRectangle(const std::vector<WarpedEye>& eyes, cv::Size view, double margin);

// Whether the corners of `r` lie inside the view and inside every eye's
// warped picture, at least `margin` pixels clear of its edges (less a
// thousandth of a pixel for rounding).
bool liesInside(const Rectangle& r, const std::vector<WarpedEye>& eyes, cv::Size view,
                double margin);

}  // namespace bench
