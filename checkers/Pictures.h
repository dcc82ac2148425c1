// The pictures every single measurement stores with its result. All take
// 3-channel 8-bit views (blue, green, red) and return new pictures.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

#include "checkers/Disparity.h"
#include "checkers/FeatureMatches.h"

namespace stereolint {

// Red-cyan anaglyph: blue and green from the right view, red from the left.
cv::Mat anaglyph(const cv::Mat& left, const cv::Mat& right);

// A copy of `view` with a filled circle at each record whose |value| is
// strictly above |median| of the list: radius |value * 50 / maximumAbsolute|
// (truncated; records with radius 0 are skipped), red for values >= 0, blue
// for negative ones, labelled in black with the value to two decimals,
// centred. Records are drawn in list order, so later circles cover earlier
// labels.
cv::Mat circlesPicture(const cv::Mat& view, const std::vector<Disparity>& values);

// Both views side by side with every keypoint and a line of a random colour
// for each match: cv::drawMatches' picture, drawn in bands on the machine's
// cores (checkers/MatchesDrawing.h).
cv::Mat matchesPicture(const cv::Mat& left, const cv::Mat& right, const FeatureMatches& matches);

}  // namespace stereolint
