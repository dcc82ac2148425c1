// Whether a frame holding both views looks like the layout it is read with:
// the halves that -o cuts should show one scene twice, and views of common
// delivery shapes come out of the cut once any squeeze is undone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "sources/ViewRegions.h"

namespace stereolint {

// How alike two halves of a frame look: the best normalised correlation
// (-1 to 1) of their grey thumbnails over small horizontal shifts (the
// parallax between two views). Side by side compares the left and right
// halves, over-under the upper and lower ones.
double halvesLikeness(const cv::Mat& frame, Orientation orientation);

// The shapes views are delivered in (width over height): 4:3, 3:2, 5:3,
// 16:9, 1.85, 1.90 (digital cinema), 2:1, 2.35 and 2.39.
const std::vector<double>& deliveryAspects();

// What looks wrong with reading `frame` (a whole picture holding both views,
// 8- or 16-bit, any channel count) cut by `orientation` (not Whole) and
// unsqueezed by `squeeze`, in one sentence naming what to give instead; empty
// when nothing does. Two findings, each only when the other reading is
// clearly better:
//   the other cut's halves look alike (correlation 0.6 or more) and the
//   chosen cut's do not (at least 0.3 less);
//   the views are of no delivery shape (8 % off every one) while the other
//   squeeze (1 or 2) gives one within 2 %.
std::string layoutDoubt(const cv::Mat& frame, Orientation orientation, int squeeze);

}  // namespace stereolint
