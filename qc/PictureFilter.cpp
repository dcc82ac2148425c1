#include "qc/PictureFilter.h"

#include <string>

namespace stereolint::qc {

Expected<PictureMode> parsePictureMode(std::string_view text) {
  for (PictureMode mode : {PictureMode::All, PictureMode::Flagged, PictureMode::None})
    if (text == pictureModeName(mode)) return mode;
  return Failure{"Unknown pictures choice \"" + std::string(text) +
                 "\"; the choices are all, flagged, none"};
}

const char* pictureModeName(PictureMode mode) {
  switch (mode) {
    case PictureMode::All: return "all";
    case PictureMode::Flagged: return "flagged";
    case PictureMode::None: return "none";
  }
  return "all";
}

PictureDecision decidePictures(PictureMode mode, Verdict frameVerdict) {
  switch (mode) {
    case PictureMode::All: return PictureDecision::Write;
    case PictureMode::None: return PictureDecision::Skip;
    case PictureMode::Flagged:
      return frameVerdict == Verdict::Pass ? PictureDecision::Hold : PictureDecision::Write;
  }
  return PictureDecision::Write;
}

}  // namespace stereolint::qc
