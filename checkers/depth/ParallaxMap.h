// A dense map of horizontal parallax between two views whose rows already
// line up (the right view corrected by the fitted misalignment), found by
// semi-global matching at a reduced size, with a left-right consistency
// check.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint {

// Views wider than this are matched at this width (the height follows).
// Measured on the image library's aloe pair against its true disparity: at
// 640 pixels wide 86 % of the true pixels get a parallax and 4.4 % of those
// are off by more than 2 pixels of the full view; at 480 the errors pass
// 7 %, at 960 the matching costs about three times as much.
inline constexpr int kParallaxWorkingWidth = 640;

// The scale (at most 1) at which a view `width` pixels wide is matched.
double parallaxWorkingScale(int width);

// The parallax searched, xR - xL in pixels of the views matched, either
// sign: `nearest` (most negative, in front of the screen) to `farthest`.
struct ParallaxSearch {
  int nearest = 0;
  int farthest = 0;
};

// For each pixel of `left`, where the same content lies in `right` along its
// row: xR - xL in pixels (a fraction of a pixel; positive behind the
// screen), as CV_32F of `left`'s size. Pixels without a reliable parallax
// are NaN: seen by one view only (occluded, or beyond the other view's
// edge), failing the left-right consistency check, ambiguous, or in small
// islands that disagree with their surroundings. Content next to an edge is
// matched too, however wide the search. Both views are 8-bit grey of one
// size, at least 16 x 16.
cv::Mat parallaxMap(const cv::Mat& left, const cv::Mat& right, ParallaxSearch search);

// The search widened where `map` (matched over `search`) piles up against a
// bound: when at least kPileUpPercent of its valid pixels lie within a pixel
// of the nearest or farthest parallax searched, content lies beyond that
// bound (nearer or farther than every matched feature) and the matcher
// clamped it there. That side is moved out by the span searched, no further
// than `limit` pixels either way. Returns `search` unchanged when nothing
// piles up or the bound is at the limit already.
inline constexpr double kPileUpPercent = 3.0;
ParallaxSearch widenedSearch(const cv::Mat& map, ParallaxSearch search, int limit);

// Sets to NaN the pixels of `map` whose match lies outside the right view's
// picture, columns `first` to `last` (both included, pixels of the map):
// beyond its edges, or in the black a floating window or a correction left
// there. Such content is seen by the left eye alone.
void dropMatchesOutside(cv::Mat& map, int first, int last);

}  // namespace stereolint
