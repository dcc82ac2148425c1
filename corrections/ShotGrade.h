// The grade of a shot whose eyes differ in brightness or colour: the colour
// decision that maps its right eye onto the left, and the files it is
// written to (ColourFiles.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qc/FrameRecord.h"
#include "qc/Shot.h"
#include "results/ColourDecision.h"

namespace stereolint::corrections {

// The median decision of the shot's frames that have one (whatever their
// verdict): each of its numbers the median over those frames, the mean of
// the middle two for an even count. Nothing when no frame has a decision.
std::optional<ColourDecision> medianDecision(const qc::Shot& shot,
                                             const std::vector<qc::FrameRecord>& frames);

// The decision of a shot judged FIX or REJECT under LUMINANCE or COLOUR:
// its medianDecision. Nothing for a shot that passes both, cannot be
// judged, or has no frame with a decision.
std::optional<ColourDecision> shotGrade(const qc::Shot& shot,
                                        const std::vector<qc::FrameRecord>& frames);

// "shotN.cdl" and "shotN.cube": the names of the shot's files after the
// run's prefix.
std::string shotCdlName(int shot);
std::string shotCubeName(int shot);

}  // namespace stereolint::corrections
