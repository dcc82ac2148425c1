// What stereolint-correct reads from a corrections.json: the take and the
// whole warp of each eye of each corrected shot.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "util/Expected.h"

namespace stereolint::correct {

struct ShotWarps {
  int firstFrame = 0;
  int lastFrame = 0;
  // Left, right: from the eye as shot to the corrected full view, in pixels
  // of display geometry (integers at pixel centres).
  std::array<cv::Matx33d, 2> warps;
};

struct CorrectionsPlan {
  std::vector<std::string> paths;  // one stereo file, or the left then the right eye
  std::string orientation;         // "VERTICALLY", "HORIZONTALLY" or ""
  int squeeze = 1;
  std::vector<ShotWarps> shots;  // the corrected shots alone, in take order

  // The shot whose frames hold `frame`, or null.
  const ShotWarps* shotOf(std::int64_t frame) const;
};

// The plan of a corrections.json's text; a failure names `source` and the
// key that is missing or of another type.
Expected<CorrectionsPlan> readCorrectionsPlan(const std::string& text, const std::string& source);

}  // namespace stereolint::correct
