// What stereolint-correct reads from a corrections.json: the take it was
// written for, the whole warp of each eye of each corrected shot, each
// shot's floating window and grade.
#pragma once

#include <array>
#include <cstdint>
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
  cv::Size view;        // one view in display geometry, pixels
  bool warped = false;  // whether the eyes are warped ("corrected")
  // Left, right: from the eye as shot to the corrected full view, in pixels
  // of display geometry (integers at pixel centres); the identity when not
  // warped. Finite, and every corner of the view lands in front of the
  // camera (a positive third coordinate): never singular.
  std::array<cv::Matx33d, 2> warps{cv::Matx33d::eye(), cv::Matx33d::eye()};
  // Columns of the full view blacked after the warp: the left eye's first
  // ones and the right eye's last ones; 0 for none.
  int floatingWindow = 0;
  // The decision that maps the right eye onto the left, applied to the
  // right eye as shot, before its warp.
  std::optional<ColourDecision> grade;

  bool changesPictures() const { return warped || grade || floatingWindow > 0; }
};

struct CorrectionsPlan {
  std::string takeName;            // the first input's base name when measured
  std::vector<std::string> paths;  // one stereo input, or the left then the right eye
  std::string orientation;         // "VERTICALLY", "HORIZONTALLY" or ""
  int squeeze = 1;
  int frameCount = 0;  // frames of the take when measured
  int firstFrame = 1;  // the number of its first frame
  cv::Size view;       // one view in display geometry, pixels
  // The shots that change pictures, in take order.
  std::vector<ShotPlan> shots;

  // The shot whose frames hold `frame`, or null.
  const ShotPlan* shotOf(std::int64_t frame) const;
  // The last frame of the take when measured.
  int lastFrame() const { return firstFrame + frameCount - 1; }
};

// The plan of a corrections.json's text. A failure names `source` and the
// key that is missing, of another type or of a value no run writes
// ("shots[2].right.warp holds a value that is not a finite number").
Expected<CorrectionsPlan> readCorrectionsPlan(const std::string& text, const std::string& source);

}  // namespace stereolint::correct
