// The warp of one eye as a 3x3 homography, and how people read it.
//
// Coordinates are pixels of the full view in display geometry, integers at
// pixel centres, x to the right and y down (as the image library and
// ffmpeg's perspective filter count them); a homography maps a point of the
// eye as shot to where the corrected eye shows it.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint::corrections {

// The misalignment of the right view against the left one, in the units of
// the table of measures (results/Measures.h): VERTICAL rows (left row minus
// right row), ROTATION degrees that turn the right view back (anticlockwise
// positive), SCALE left over right, KEYSTONE rows at the corners.
struct Misalignment {
  double vertical = 0;
  double rotation = 0;
  double scale = 1;
  double keystone = 0;
};

// The homography that undoes `misalignment` on the right view of views of
// `view` size: the alignment method's own correction of the right view
// (DisparityModel::aligned), the rotation and scale about the centre
// (cols / 2, rows / 2) and the vertical offset exact, the keystone term as
// the perspective warp that adds it to first order. Its last entry is 1.
cv::Matx33d rightCorrection(const Misalignment& misalignment, cv::Size view);

// The homography G with G G = `h` (normalised so that its last entry is 1),
// for warps near the identity: half a correction, for each eye to take half.
cv::Matx33d halfWarp(const cv::Matx33d& h);

// A horizontal move by `columns` (rightwards positive).
cv::Matx33d horizontalMove(double columns);

// What a warp does at the centre of views of `view` size, as people read it:
// the move of the centre in rows (down positive) and columns (right
// positive), the turn in degrees (clockwise on screen positive) and the
// scale (1 = the same size).
struct WarpReading {
  double down = 0;
  double right = 0;
  double clockwise = 0;
  double scale = 1;
};
WarpReading readWarp(const cv::Matx33d& h, cv::Size view);

// `warp` of display geometry for pictures whose views are squeezed: each
// stretched `sx` times in width and `sy` times in height to display
// geometry, pixel edges kept. The same for sx = sy = 1.
cv::Matx33d inFileGeometry(const cv::Matx33d& warp, int sx, int sy);

// The point `p` through the homography `h`.
cv::Point2d applyWarp(const cv::Matx33d& h, cv::Point2d p);

}  // namespace stereolint::corrections
