// One frame's eyes corrected as a shot's plan says: the right eye graded
// (GradeEye.h), each eye warped by its whole warp in one resampling
// (bicubic, the picture's edge repeated, so the crop's margin never shows
// an empty edge), then the floating window blacked: the left eye's first
// columns and the right eye's last ones.
#pragma once

#include <array>
#include <opencv2/core.hpp>

#include "tools/correct/CorrectionsPlan.h"
#include "tools/correct/PlanarPicture.h"
#include "tools/correct/ShotWarps.h"

namespace stereolint::correct {

// `eyes` (left, right) in the file's own geometry: each view squeezed `sx`
// times in width and `sy` times in height against display geometry. Three
// channels of 8 or 16 bits, or float samples of linear light. The warps
// come from `warps`, worked out once for the shot.
std::array<cv::Mat, 2> renderEyes(const std::array<cv::Mat, 2>& eyes, const ShotPlan& shot, int sx,
                                  int sy, ShotWarps& warps);

// The same for eyes stored as planes: each plane warped by the warp moved
// onto its own sample grid (the chroma planes' subsampling and siting),
// the floating window blacked in every plane over each chroma sample that
// touches a blacked column. There is no grade: the colour decision is
// applied in linear light, to pictures.
std::array<PlanarPicture, 2> renderPlanarEyes(const std::array<PlanarPicture, 2>& eyes,
                                              const ShotPlan& shot, int sx, int sy,
                                              ShotWarps& warps);

}  // namespace stereolint::correct
