// Frame-compatible stereo at half resolution: a side-by-side picture whose
// views were halved in width, or an over-under picture whose views were
// halved in height, so that both fit one frame of the usual size. The
// squeeze factor brings each view back to display geometry before it is
// measured, so rotation, scale and parallax are those a viewer sees.
//
// Rows and columns of the unsqueezed view: side by side (VERTICALLY) each
// view is stretched `factor` times in width, so its rows are the rows of the
// file; over-under (HORIZONTALLY) each view is stretched `factor` times in
// height, so `factor` rows of the unsqueezed view make one row of the file.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <string>

#include "sources/ViewRegions.h"
#include "util/Expected.h"

namespace stereolint {

// The factors --squeeze accepts, as written: 1 (no squeeze) and 2 (half
// side by side, half over-under). Feeds the reading, its error message and
// the usage text.
inline constexpr std::array<const char*, 2> kSqueezeFactors = {"1", "2"};

// "1, 2".
std::string squeezeFactorNames();

// The factor of a --squeeze text (`text` empty: the option was not given,
// factor 1) for a run cut by `orientation`. Failures, in words that follow "--squeeze: ": a text that is not one
// of kSqueezeFactors (repeated back with the valid ones), and a squeeze
// without an orientation (whole views are not squeezed).
Expected<int> readSqueeze(const std::string& text, Orientation orientation);

// The size of a view of `cut` once unsqueezed.
cv::Size unsqueezedSize(cv::Size cut, Orientation orientation, int factor);

// The view stretched back to display geometry (bilinear); the view itself
// (no copy) for factor 1 or no orientation.
cv::Mat unsqueezeView(const cv::Mat& view, Orientation orientation, int factor);

}  // namespace stereolint
