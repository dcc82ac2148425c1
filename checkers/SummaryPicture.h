// The summary grid of one frame's results.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

#include "results/Result.h"

namespace stereolint {

// A grid of 3 x 3 tiles, each the size (C x R) of the first CORRECT_LEFT
// picture found, on light grey (240, 240, 240):
//
//   row 0: CIRCLES of VERTICAL | CIRCLES of ROTATION | CIRCLES of SCALE
//   rows 1-2, columns 0-1: ANAGLYPH_AFTER, scaled to 2C x 2R
//   row 1, column 2: CORRECT_LEFT;  row 2, column 2: CORRECT_RIGHT
//
// The last three come from the SCALE result when there is one, else
// ROTATION, else VERTICAL. Each placed tile gets a white label near its
// bottom right corner; missing pictures leave their tiles grey and
// unlabelled. Four black lines 15 pixels thick separate the areas. For an
// empty list: an 800 x 600 white picture with the message "Wrong application
// arguments ..." centred. A picture whose size or type does not fit its tile
// raises cv::Exception.
cv::Mat summaryPicture(const Results& results);

// The pictures summaryPicture draws from: the CORRECT_LEFT that sets the
// tile size and the picture of every tile that is placed.
std::vector<PictureName> summarySources(const Results& results);

}  // namespace stereolint
