// The eye-match part of the alignment method: the two eyes compared where
// the dense parallax matched them (checkers/eyes): brightness and colour,
// the colour decision that matches them, sharpness, and light that reaches
// one eye only, giving the frame's EYES block.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/eyes/EyeMatch.h"
#include "checkers/eyes/Highlights.h"
#include "checkers/eyes/Sharpness.h"
#include "results/Result.h"

namespace stereolint {

// Fewer matched pixels than this share of the view make the block
// INCONCLUSIVE LOW COVERAGE: too little is seen by both eyes to compare.
inline constexpr double kMinimumMatchedPercent = 5.0;

struct EyesMeasurement {
  // OK, IDENTICAL, or INCONCLUSIVE with the depth's reason or LOW COVERAGE.
  FrameStatus status = FrameStatus::Inconclusive;
  std::optional<Inconclusive> reason;
  std::optional<EyeMatchFigures> figures;
  std::optional<SharpnessFigures> sharpness;
  std::optional<HighlightFigures> highlights;  // boxes in pixels of the depth's map
  double milliseconds = 0;
};

// The eyes of `left` and `right` (the views as given) with their geometric
// measurement `m` and depth `depth`.
EyesMeasurement measureEyes(const cv::Mat& left, const cv::Mat& right,
                            const AlignmentMeasurement& m, const DepthMeasurement& depth);

// The EYES block's lines, in the order of its table's columns.
Result::KeyValues eyesValues(const EyesMeasurement& eyes);

// The block's pictures (EYE_DIFFERENCE, SHARPNESS), when the eyes were compared.
Result::KeyImages eyesPictures(const EyesMeasurement& eyes, const DepthMeasurement& depth);

}  // namespace stereolint
