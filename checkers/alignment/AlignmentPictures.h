// The pictures of the alignment method. All take and return 8-bit
// three-channel pictures (blue, green, red); none changes its input.
#pragma once

#include <opencv2/core.hpp>

#include "checkers/alignment/AlignmentFit.h"
#include "checkers/alignment/AlignmentMeasurement.h"

namespace stereolint {

// Red-cyan anaglyph: red from the left view, blue and green from the right.
cv::Mat alignmentAnaglyph(const cv::Mat& left, const cv::Mat& right);

// The right view with the whole fitted misalignment undone in one warp
// (offset, rotation, scale and the trapezoid term), so that it lines up
// with the left view row by row. Uncovered edges are black.
cv::Mat correctRight(const cv::Mat& right, const DisparityModel& model);

// The left view with every match marked at its left position: inliers as
// filled dots coloured by vertical residual (green at 0, through yellow to
// red at 1 row or more below, through cyan to blue above), outliers as grey
// crosses.
cv::Mat pointsPicture(const cv::Mat& left, const AlignmentMeasurement& measurement);

}  // namespace stereolint
