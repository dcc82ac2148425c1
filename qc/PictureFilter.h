// Which frames' pictures are written under "--pictures all|flagged|worst|none".
#pragma once

#include <string_view>

#include "util/Expected.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

enum class PictureMode {
  All,      // every frame's pictures, as without quality control
  Flagged,  // REJECT frames, and the worst frame of every shot
  Worst,    // the worst frame of every shot alone
  None,     // no pictures
};

// "all", "flagged", "worst" or "none", in any letter case ("Flagged"); a
// failure names the valid words.
Expected<PictureMode> parsePictureMode(std::string_view text);
const char* pictureModeName(PictureMode mode);

enum class PictureDecision {
  Write,  // write the frame's pictures now
  Hold,   // keep the views until the session says to write or drop them
  Skip,   // write none
};

// The decision for a frame as soon as it is judged. A frame that may still
// turn out the worst frame of its shot is held (every frame under Worst,
// every frame but a REJECT one under Flagged), and the session tells
// whether its pictures are written (SessionUpdate::writeHeld / dropHeld).
PictureDecision decidePictures(PictureMode mode, Verdict frameVerdict);

}  // namespace stereolint::qc
