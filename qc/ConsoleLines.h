// The console lines of quality control, one per completed shot and one for
// the take; the run pipeline prints them.
#pragma once

#include <string>

#include "qc/Shot.h"
#include "qc/Timecode.h"

namespace stereolint::qc {

// e.g. "Shot 3 FIX: frames 41-80 (00:00:01:15-00:00:03:04), worst VERTICAL
// 4.20 rows at frame 57; single frames beyond: 44"; an INCONCLUSIVE shot
// gives its reason instead of the worst value. No newline.
std::string shotLine(const Shot& shot, const Timecode& timecode);

// e.g. "Take FIX: 5 shots (3 PASS, 1 FIX, 1 INCONCLUSIVE), 200 frames", and
// when some frames could not be judged how many were: "…, 200 frames, 150
// judged (75 %)". No newline.
std::string takeLine(const TakeSummary& take);

// The take's line of a run stopped before the end of its frames, which
// gives no verdict: "Take not judged: stopped by SIGTERM after 141 frames".
std::string stoppedTakeLine(const TakeSummary& take, const std::string& stoppedBy);

// The line that says the eyes' timing made the judged shots REJECT (see
// applyEyeSync): "Eyes REJECT: the right eye is 2 frames behind the left
// (confidence 0.93); every judged shot is REJECT". Empty when it did not.
std::string eyesLine(const std::vector<Shot>& shots);

// "Eyes SWAPPED in shots 2, 4: their left and right views are the wrong way
// round (…)" for the shots whose eye order is REJECT; "" when none is.
std::string swappedEyesLine(const std::vector<Shot>& shots);

}  // namespace stereolint::qc
