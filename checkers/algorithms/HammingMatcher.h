// Brute-force matching of binary descriptors by Hamming distance.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

// For every row of `query`, the row of `train` at the smallest Hamming
// distance (the number of differing bits), the lowest train index among
// equal distances: the matches cv::BFMatcher(cv::NORM_HAMMING).match gives,
// down to the order, the indices, imgIdx 0 and the distance as a float.
// Both matrices hold one CV_8UC1 descriptor per row, of equal width. An
// empty `train` gives no matches; an empty `query` none either.
std::vector<cv::DMatch> matchByHamming(const cv::Mat& query, const cv::Mat& train);

}  // namespace stereolint
