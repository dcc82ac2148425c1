// Where the left and the right view lie in a frame that holds both.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <utility>

namespace stereolint {

// How one picture holds both views (-o): side by side ("VERTICALLY", cut by
// a vertical line), one above the other ("HORIZONTALLY"), or not at all
// (no -o: each input is one whole view).
enum class Orientation { Whole, SideBySide, OverUnder };

// The orientation of an -o word ("" is Whole); nothing for any other word.
std::optional<Orientation> orientationFromWord(const std::string& word);
// The -o word of an orientation: "VERTICALLY", "HORIZONTALLY" or "".
const std::string& orientationWord(Orientation orientation);

// The rectangles (x, y, width, height in pixels, origin at the top-left
// corner) of the left view (first) and the right view (second) in a frame of
// `width` by `height` pixels:
//
//   "VERTICALLY"    views side by side, cut by a vertical line:
//                   left (0, 0, width/2, height), right (width/2, 0, width/2, height)
//   "HORIZONTALLY"  views one above the other, cut by a horizontal line:
//                   left (0, 0, width, height/2), the upper half;
//                   right (0, height/2, width, height/2), the lower half
//   ""              no regions: each input is a whole view, the first input
//                   the left one and the second input the right one
//
// Halves are truncating integer divisions, so with an odd width (or height)
// the last column (or row) belongs to neither view: 1920 by 1081 cut
// HORIZONTALLY gives (0, 0, 1920, 540) and (0, 540, 1920, 540).
//
// The regions are computed once per input from the size of the first source;
// the left rectangle then cuts every frame of the first input and the right
// rectangle every frame of the second (the same file for a single source).
// Cutting with cv::Mat::operator() shares the frame's pixels.
//
// Any other orientation word gives a pair of empty rectangles (0, 0, 0, 0),
// so that cutting yields empty views rather than silently whole frames. The
// command line rejects such words before a run starts, so a run never sees
// them.
std::optional<std::pair<cv::Rect, cv::Rect>> viewRegions(const std::string& orientation, int width,
                                                         int height);
// The same for an orientation already read: no regions for Whole.
std::optional<std::pair<cv::Rect, cv::Rect>> viewRegions(Orientation orientation, int width,
                                                         int height);

// False when cutting by `regions` leaves a view without pixels: a frame one
// pixel wide cut VERTICALLY, or one pixel high cut HORIZONTALLY. No regions
// (each input a whole view) always hold views.
bool regionsHoldViews(const std::optional<std::pair<cv::Rect, cv::Rect>>& regions);

}  // namespace stereolint
