// The corrections of a take and their files: PREFIX + "corrections.json"
// (CorrectionsJson.h), PREFIX + "correct.sh" (CorrectScript.h) and, for each
// shot with a grade, PREFIX + "shotN.cdl" and "shotN.cube" (ColourFiles.h).
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "corrections/ShotCorrection.h"

namespace stereolint::corrections {

inline constexpr const char* kCorrectionsJsonName = "corrections.json";
inline constexpr const char* kCorrectScriptName = "correct.sh";

// The take the corrections are for.
struct CorrectedTake {
  std::string name;  // the first input's base name
  // The inputs, absolute: one stereo file, or the left then the right eye.
  std::vector<std::string> paths;
  // How one picture holds both views: "VERTICALLY" (side by side),
  // "HORIZONTALLY" (over-under) or "" (each input one view).
  std::string orientation;
  int squeeze = 1;     // each view stretched this many times in width (side by side) or height
  int frameCount = 0;  // frames of the input
  int firstFrame = 1;  // the number of the take's first frame
  cv::Size view;       // one view's size in display geometry, pixels
};

struct CorrectionsContent {
  CorrectedTake take;
  CorrectedEyes eyes = CorrectedEyes::Right;
  std::vector<ShotCorrection> shots;  // in shot order
};

// The corrections of `shots` judged under `limits`, each shot with the view
// size of its own frames (`frames` in frame order).
std::vector<ShotCorrection> correctShots(const std::vector<qc::Shot>& shots,
                                         const std::vector<qc::FrameRecord>& frames,
                                         const qc::QcLimits& limits, CorrectedEyes eyes);

// Writes corrections.json and, when ffmpeg can read the inputs as files
// (`scriptable`), correct.sh (executable) under `prefix`, whose folders the
// report has made. Each file whole or not at all. Returns what could not be
// written, naming the files; nothing on success.
std::optional<std::string> writeCorrectionsFiles(const CorrectionsContent& content,
                                                 const std::string& prefix, bool scriptable);

}  // namespace stereolint::corrections
