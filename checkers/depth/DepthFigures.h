// The numbers of a dense parallax map: the depth budget it uses, how much of
// the view it covers, and stereo window violations at the picture's left and
// right edges with the floating window that mends them.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

namespace stereolint {

// Content counts as in front of the window when its parallax is more than
// this share of the view width nearer than the window's own: half a pixel
// of a 640-pixel map, well beyond the matching's noise.
inline constexpr double kWindowTolerancePercent = 0.25;
// A window violation counts only where it spans at least this share of the
// edge's height, so that a few mismatched rows do not raise one.
inline constexpr double kWindowMinimumRunPercent = 2.0;

struct DepthFigures {
  // Parallax (xR - xL) of the valid pixels, % of the view width, negative in
  // front of the screen: 2nd, 50th and 98th percentile.
  double nearPercent = 0;
  double medianPercent = 0;
  double farPercent = 0;
  double coveragePercent = 0;  // valid pixels, % of the view
  // % of the height of the left / right edge where content in front of the
  // window is cut by that edge.
  double windowLeftPercent = 0;
  double windowRightPercent = 0;
  // Width, in pixels of the full view, of the black mask (left edge of the
  // left view, right edge of the right view) that brings the window in front
  // of all the content cut by the edges; 0 when nothing is cut.
  int floatingWindowPixels = 0;
};

// The views' own window: how many columns at each edge are black in each
// view (a floating window already applied, or a pillarbox), in pixels of
// the map.
struct WindowMasks {
  int leftViewLeft = 0;
  int rightViewLeft = 0;
  int leftViewRight = 0;
  int rightViewRight = 0;
};

// The black columns at the edges of two 8-bit grey views of one size: flat
// and dark; dark content (a picture fading to black) is not a mask.
WindowMasks windowMasks(const cv::Mat& leftGrey, const cv::Mat& rightGrey);

// The figures of `map` (see parallaxMap: pixels of the map, NaN invalid),
// with the views' own window `masks`; `fullPixelsPerMapPixel` turns the
// floating window into pixels of the full view. The window is read where
// `leftGrey` (the 8-bit left view the map belongs to) has detail along its
// rows: a plain dark corner holds no parallax of its own. Nothing when no
// pixel is valid.
std::optional<DepthFigures> depthFigures(const cv::Mat& map, const cv::Mat& leftGrey,
                                         const WindowMasks& masks, double fullPixelsPerMapPixel);

// The rows of `map` (one flag per row) where content in front of the
// window is cut by the left (`leftEdge`) or right edge, after dropping runs
// shorter than kWindowMinimumRunPercent of the height; for the pictures.
std::vector<bool> windowViolationRows(const cv::Mat& map, const cv::Mat& leftGrey,
                                      const WindowMasks& masks, bool leftEdge);

}  // namespace stereolint
