// Rendering a take's corrections: the take checked against the one the
// corrections were measured on, then read frame by frame (TakeReader.h),
// each frame of a shot that changes pictures corrected (EyeRender.h) by
// the workers, the others passed as they are, and written in frame order
// to the outputs (TakeOutputs.h) in the input's layout.
//
// Memory is bounded: at most twice as many frames as workers are held.
// Between frames the run stops at a request (Ctrl-C): the outputs not
// complete are removed.
#pragma once

#include <string>

#include "tools/correct/CorrectOptions.h"
#include "tools/correct/CorrectionsPlan.h"

namespace stereolint::correct {

struct RenderOutcome {
  // 0 done; 1 refused or failed, or the take ended before the frames the
  // corrections list (what it held is written); 130 or 143 stopped.
  int status = 0;
  std::string problem;  // why not 0, for the standard error
  // "Wrote 120 frames to OUT in 7.9 s (15.2 frames/s): reading 1.1 s,
  // warping 3.0 s, encoding 3.4 s", when frames were written.
  std::string summary;
};

RenderOutcome renderTake(const CorrectOptions& options, const CorrectionsPlan& plan);

}  // namespace stereolint::correct
