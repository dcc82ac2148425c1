#include "qc/PictureFilter.h"

#include <string>

#include "util/Words.h"

namespace stereolint::qc {

namespace {

constexpr PictureMode kModes[] = {PictureMode::All, PictureMode::Flagged, PictureMode::Worst,
                                  PictureMode::None};

}  // namespace

Expected<PictureMode> parsePictureMode(std::string_view text) {
  std::string names;
  for (PictureMode mode : kModes) {
    if (equalIgnoringCase(text, pictureModeName(mode))) return mode;
    names += (names.empty() ? "" : ", ") + std::string(pictureModeName(mode));
  }
  return Failure{"Unknown pictures choice \"" + std::string(text) + "\"; the choices are " + names};
}

const char* pictureModeName(PictureMode mode) {
  switch (mode) {
    case PictureMode::All: return "all";
    case PictureMode::Flagged: return "flagged";
    case PictureMode::Worst: return "worst";
    case PictureMode::None: return "none";
  }
  return "all";
}

PictureDecision decidePictures(PictureMode mode, Verdict frameVerdict) {
  switch (mode) {
    case PictureMode::All: return PictureDecision::Write;
    case PictureMode::None: return PictureDecision::Skip;
    case PictureMode::Flagged:
      return frameVerdict == Verdict::Reject ? PictureDecision::Write : PictureDecision::Hold;
    case PictureMode::Worst: return PictureDecision::Hold;
  }
  return PictureDecision::Write;
}

}  // namespace stereolint::qc
