// The colour decision that maps one eye's colours onto the other's, fitted
// on pixels both eyes see.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "results/ColourDecision.h"

namespace stereolint {

// Fewer pixels than this leave the decision unfitted.
inline constexpr int kCdlMinimumSamples = 200;

// `from` and `to` are N x 1 CV_8UC3 (BGR) code values of the same N
// points in the two eyes. The slope, offset and power of each channel that
// map `from` onto `to` (saturation 1), fitted by least squares with
// Tukey's weights, so that the few pixels matched wrongly do not pull the
// fit. Nothing with fewer than kCdlMinimumSamples pixels.
std::optional<ColourDecision> fitColourDecision(const cv::Mat& from, const cv::Mat& to);

// A decision ready to apply to many 8-bit BGR pictures: with saturation 1
// each channel maps alone, through a table of 256 code values built once.
class ColourGrade {
 public:
  explicit ColourGrade(const ColourDecision& decision);
  // The decision applied to `bgr` (CV_8UC3, any size).
  cv::Mat operator()(const cv::Mat& bgr) const;

 private:
  ColourDecision decision_;
  cv::Mat table_;  // 1 x 256 CV_8UC3; empty when the saturation mixes the channels
};

// The decision applied to an 8-bit BGR picture (any size).
cv::Mat applyColourDecision(const ColourDecision& decision, const cv::Mat& bgr);

}  // namespace stereolint
