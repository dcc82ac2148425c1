// The patches the sharpness of the eyes is compared on: the most detailed
// places of each zone of the view where the dense parallax found a match,
// cut from both views at their full size.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/eyes/CdlFit.h"
#include "checkers/eyes/Sharpness.h"

namespace stereolint {

// At most this many patches per zone of the 3 x 3 grid are compared, the
// most detailed first.
inline constexpr int kSharpnessPatchesPerZone = 5;

// Up to kSharpnessPatchesPerZone patches of kSharpnessPatch pixels per zone
// of a 3 x 3 grid: the left view's patch, and the right view's where the
// fitted model and the map's parallax put it (whole pixels; the patches'
// detail does not depend on where their content lies within them). The
// right patch is matched in colour by `grade`, so a difference of
// contrast between the eyes does not read as one of sharpness.
std::vector<PatchPair> sharpnessPatches(const cv::Mat& left, const cv::Mat& right,
                                        const AlignmentMeasurement& m,
                                        const DepthMeasurement& depth,
                                        const ColourGrade& grade);

}  // namespace stereolint
