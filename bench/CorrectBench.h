// The corrections of Stereolint --qc --corrections, rendered, against their
// targets:
//   - residuals: a take of five shots cut from opencv-doc's videos, each
//     with a known misalignment of its right view (moved, turned, scaled,
//     a keystone, a colour grade), judged, rendered corrected and judged
//     again; each shot's medians of VERTICAL, ROTATION, SCALE and KEYSTONE
//     before and after (targets 0.05 rows, 0.01 degrees, 0.0002, 0.05 rows)
//     and the graded shot's COLOUR after (target 0.7 ΔE2000);
//   - the crop of every corrected shot against the largest rectangle of the
//     view's shape inside both warped and shifted eyes, found independently
//     (InnerRectangle.h) raw and 2 pixels clear of the eyes' edges as the
//     corrections keep it (target: within 1 pixel of the latter);
//   - speed: 120 frames of 1920 x 1080 views, all in corrected shots,
//     rendered to FFV1 on 2 workers (target 15 frames/s, encoding included,
//     over the renderer's whole run), with the renderer's own parts.
// Each figure is printed beside its target with "ok" or "NOT MET".
#pragma once

#include <filesystem>

#include "CorrectRenderer.h"

namespace bench {

// Runs the three parts in `folder` (which it leaves behind to be removed),
// rendering with `renderer`.
void printCorrectBench(const std::filesystem::path& folder, const Renderer& renderer);

}  // namespace bench
