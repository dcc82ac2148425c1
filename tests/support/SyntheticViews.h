// Stereo pairs with a known misalignment, made from a random but repeatable
// texture rich in corners and blobs, so that every detector finds features.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint::test {

struct StereoPair {
  cv::Mat left;
  cv::Mat right;
};

// A textured 8-bit BGR picture of `size`, the same for the same seed.
cv::Mat texturedPicture(cv::Size size, unsigned seed = 7);

// The right view shows the scene `rows` rows higher than the left view, so
// every feature measures left row - right row = `rows` exactly.
StereoPair verticallyShiftedPair(cv::Size size, int rows, unsigned seed = 7);

// The right view is the left view rotated by `degrees` (the image library's
// sense: positive is anticlockwise on screen) about the view centre.
StereoPair rotatedPair(cv::Size size, double degrees, unsigned seed = 7);

// The right view is the left view scaled by 1 / `ratio` about the view
// centre, so vertical separations measure left / right = `ratio`.
StereoPair scaledPair(cv::Size size, double ratio, unsigned seed = 7);

// Both views side by side in one picture (left | right).
cv::Mat sideBySide(const StereoPair& pair);
// Both views one above the other in one picture (left over right).
cv::Mat overUnder(const StereoPair& pair);

}  // namespace stereolint::test
