// Light that reaches one eye only: reflections, glints and flares that are
// much brighter in one eye than at the same place in the other once the
// eyes' colours are matched.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "checkers/eyes/CdlFit.h"

namespace stereolint {

// A pixel is part of a highlight when its CIELAB lightness exceeds the
// brightest of the other eye's pixels where its match can lie by at least
// kHighlightLightness, and reaches kHighlightFloor: along the row over the
// parallax found within kHighlightRangeReach columns and kHighlightReach
// rows of it, widened by kHighlightReachAlongRow, and within
// kHighlightReach rows.
inline constexpr double kHighlightLightness = 10.0;
inline constexpr double kHighlightFloor = 50.0;
inline constexpr int kHighlightReach = 2;
inline constexpr int kHighlightReachAlongRow = 8;
inline constexpr int kHighlightRangeReach = 24;
// Regions smaller than this share of the view are not counted, % of the view.
inline constexpr double kHighlightMinimumPercent = 0.05;

struct HighlightRegion {
  cv::Rect box;       // in pixels of the map
  bool inLeft = true; // the eye the light reaches
  double percent = 0; // its area, % of the view
};

struct HighlightFigures {
  std::vector<HighlightRegion> regions;
  double areaPercent = 0;  // all regions, % of the view
};

// `left` and `right` are 8-bit BGR pictures of `map`'s size, the right
// eye corrected onto the left's rows (black where the correction left it
// empty), and `map` the parallax of the left eye's pixels (NaN where
// none). The right eye is matched in colour by `grade` first. Each
// pixel is judged against what the other eye shows along its row over the
// parallax range around it, so that the light is found even where it kept
// the matching from finding a parallax; a band that only the left eye sees
// beside a nearer surface is judged against the surface it continues too.
HighlightFigures highlights(const cv::Mat& left, const cv::Mat& right,
                            const ColourGrade& grade, const cv::Mat& map);

}  // namespace stereolint
