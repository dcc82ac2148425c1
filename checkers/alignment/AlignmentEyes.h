// The eye-match part of the alignment method: the two eyes compared in
// brightness and colour where the dense parallax matched them
// (checkers/eyes), giving the frame's EYES block.
#pragma once

#include <optional>

#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/eyes/EyeMatch.h"
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
  double milliseconds = 0;
};

EyesMeasurement measureEyes(const DepthMeasurement& depth);

// The EYES block's lines, in the order of its table's columns.
Result::KeyValues eyesValues(const EyesMeasurement& eyes);

}  // namespace stereolint
