// Which frames' pictures are written under "--pictures all|flagged|none".
#pragma once

#include <string_view>

#include "util/Expected.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

enum class PictureMode {
  All,      // every frame's pictures, as without quality control
  Flagged,  // frames that are not PASS, and the worst frame of every shot
  None,     // no pictures
};

// "all", "flagged" or "none", in any letter case ("Flagged"); a failure
// names the valid words.
Expected<PictureMode> parsePictureMode(std::string_view text);
const char* pictureModeName(PictureMode mode);

enum class PictureDecision {
  Write,  // write the frame's pictures now
  Hold,   // keep the views until the session says to write or drop them
  Skip,   // write none
};

// The decision for a frame as soon as it is judged. Under Flagged a PASS
// frame is held: it may still turn out the worst frame of its shot, which
// the session tells (SessionUpdate::writeHeld / dropHeld).
PictureDecision decidePictures(PictureMode mode, Verdict frameVerdict);

}  // namespace stereolint::qc
