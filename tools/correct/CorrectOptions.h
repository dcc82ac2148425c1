// stereolint-correct's command line, parsed once into typed options:
//
//   stereolint-correct INPUT [SECOND_INPUT] [-o VERTICALLY|HORIZONTALLY]
//                      --corrections PREFIXcorrections.json -r OUTPUT
//                      [--codec ffv1|prores|h264] [-t WORKERS]
#pragma once

#include <string>
#include <vector>

#include "sources/ViewRegions.h"
#include "tools/correct/VideoCodecs.h"
#include "util/Expected.h"

namespace stereolint::correct {

struct CorrectOptions {
  bool help = false;
  bool version = false;
  // One stereo input, or the left eye's then the right eye's.
  std::vector<std::string> inputs;
  // How one input holds both views; Whole for two inputs.
  Orientation orientation = Orientation::Whole;
  std::string corrections;  // the corrections.json
  // A video's or a still picture's path for one input of those; a folder
  // for a sequence, and for two inputs (their outputs in OUTPUT/left and
  // OUTPUT/right under the inputs' names).
  std::string output;
  VideoCodec codec = VideoCodec::Ffv1;
  int workers = 1;  // frames corrected at once, and the encoder's threads
};

// The most workers -t takes.
inline constexpr int kMostWorkers = 64;

// The options of the words after the program's name. A failure says every
// word that is wrong, one line each, with what is expected.
Expected<CorrectOptions> parseCorrectOptions(const std::vector<std::string>& words);

// The usage text of --help.
std::string correctUsage();

}  // namespace stereolint::correct
