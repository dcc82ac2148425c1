// Light that reaches one eye only: reflections, glints and flares that are
// much brighter in one eye than at the same place in the other once the
// eyes' colours are matched.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace stereolint {

// A pixel is part of a highlight when its CIELAB lightness exceeds the
// brightest of the other eye's pixels within kHighlightReachAlongRow
// pixels of its match along the row and kHighlightReach across rows by at
// least kHighlightLightness, and reaches kHighlightFloor.
inline constexpr double kHighlightLightness = 10.0;
inline constexpr double kHighlightFloor = 50.0;
inline constexpr int kHighlightReach = 2;
inline constexpr int kHighlightReachAlongRow = 8;
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

// `left` and `matchedRight` are 8-bit BGR pictures of the map's size, the
// right eye already moved onto the left by the parallax and matched in
// colour; `compared` (CV_8U) marks the pixels where both eyes see the same
// thing (occlusions and the borders left out).
HighlightFigures highlights(const cv::Mat& left, const cv::Mat& matchedRight,
                            const cv::Mat& compared);

}  // namespace stereolint
