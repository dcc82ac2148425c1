// How fast a corrected take renders: 120 frames of 1920 x 1080 views side
// by side, cut from opencv-doc's vtest.avi (one shot) with the right view
// misaligned on every frame (down 4 rows, turned 0.3 degrees, 1 % larger),
// so that every frame is warped.
#pragma once

#include <filesystem>
#include <string>

#include "CorrectRenderer.h"

namespace bench {

struct SpeedTake {
  bool made = false;
  std::string take;    // the side-by-side FFV1 video
  std::string prefix;  // where its corrections.json and correct.sh are
  int frames = 0;
  double judgingSeconds = 0;  // the run of --qc --corrections that wrote them
};

// Writes the take into `folder` and judges it with --qc --corrections.
SpeedTake makeSpeedTake(const std::filesystem::path& folder);

// Renders the take with `renderer` on 2 workers to FFV1 and prints the rate
// against the target of 15 frames per second (the renderer's whole run,
// encoding and start-up included), the renderer's own parts when it
// prints them, and how many frames lie in corrected shots.
void printRenderSpeed(const SpeedTake& take, const Renderer& renderer);

}  // namespace bench
