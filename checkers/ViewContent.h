// What a view holds, for telling the user why nothing could be measured.
#pragma once

#include <string>

#include <opencv2/core.hpp>

namespace stereolint {

// Why a pair offers no features, or "" when both views have content:
// "the left view is black", "the right view is flat (one colour)", "both
// views are black". A view is black when no sample exceeds 1 % of its
// range, flat when its samples span at most 1 % of the range (all channels
// together).
std::string featurelessViews(const cv::Mat& left, const cv::Mat& right);

}  // namespace stereolint
