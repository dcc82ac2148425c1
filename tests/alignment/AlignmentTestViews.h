// Views with a known misalignment for the alignment tests.
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace stereolint::test {

// A sample photograph of opencv-doc resized to `size`; empty when the
// package is missing (the tests then skip).
cv::Mat samplePhoto(const std::string& name, cv::Size size);

// `view` as a misaligned rig's right camera would show it: moved down by
// `rows`, turned by `degrees` (anticlockwise on screen) and enlarged by
// `scale`, about the view centre (cols / 2, rows / 2); edges reflected.
cv::Mat misalign(const cv::Mat& view, double rows, double degrees, double scale);

// `view` with the trapezoid a toed-in rig gives: the point at (x, y) about
// the centre seen `cornerRows` * x * y / (cols / 2 * rows / 2) rows higher,
// so that the bottom-right corner lies `cornerRows` rows higher.
cv::Mat keystoned(const cv::Mat& view, double cornerRows);

// `view` with its content moved right by `columns` (parallax xR - xL).
cv::Mat movedRight(const cv::Mat& view, double columns);

}  // namespace stereolint::test
