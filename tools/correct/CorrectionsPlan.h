// What stereolint-correct reads from a corrections.json: the take, the
// whole warp of each eye of each corrected shot and each shot's grade.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "results/ColourDecision.h"
#include "util/Expected.h"

namespace stereolint::correct {

struct ShotPlan {
  int firstFrame = 0;
  int lastFrame = 0;
  bool warped = false;  // whether the eyes are warped ("corrected")
  // Left, right: from the eye as shot to the corrected full view, in pixels
  // of display geometry (integers at pixel centres); the identity when not
  // warped.
  std::array<cv::Matx33d, 2> warps{cv::Matx33d::eye(), cv::Matx33d::eye()};
  // The decision that maps the right eye onto the left, applied to the
  // right eye as shot, before its warp.
  std::optional<ColourDecision> grade;
};

struct CorrectionsPlan {
  std::vector<std::string> paths;  // one stereo file, or the left then the right eye
  std::string orientation;         // "VERTICALLY", "HORIZONTALLY" or ""
  int squeeze = 1;
  // The shots with a warp or a grade alone, in take order.
  std::vector<ShotPlan> shots;

  // The shot whose frames hold `frame`, or null.
  const ShotPlan* shotOf(std::int64_t frame) const;
};

// The plan of a corrections.json's text; a failure names `source` and the
// key that is missing or of another type.
Expected<CorrectionsPlan> readCorrectionsPlan(const std::string& text, const std::string& source);

}  // namespace stereolint::correct
