// The shots of a take found before its analysis: a reading pass of its own
// over the first input finds the shots of the selected frames. --per-shot
// spreads K frames over each; --every with quality control gives each shot
// its real first and last frame though only every N-th is analysed.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>

#include "app/RunOptions.h"
#include "qc/QcSession.h"
#include "util/Expected.h"

namespace stereolint {

// The places (from 1) of `count` frames spread evenly over each run of
// places `shot` (in take order): the middles of `count` equal parts, so a
// shot of 100 frames and 2 per shot gives its 26th and 76th frame. Every
// frame of a shot of at most `count` frames.
std::vector<std::int64_t> spreadOverShot(const std::vector<std::int64_t>& shot, int count);

// Reads the take of `options.inputs[0]` once more from its start (opened
// anew, so that the run's own stream stays where it is), signs the left view (`regions` cuts it
// from a frame that holds both views) of every frame that `options.selection`
// names, and cuts between consecutive selected frames as quality control
// cuts shots. Gives options.perShot places per shot (none for 0). A frame that cannot be
// read ends the pass: the shots found so far are kept, the analysis
// reports the failure when it meets it. Failure: the input cannot be opened
// again.
struct ShotPlan {
  std::vector<std::int64_t> places;  // the places to analyse, in take order
  qc::ShotScan shots;                // the shots found, and the ends of the pass
};

Expected<ShotPlan> scanShots(
    const RunOptions& options, const std::optional<std::pair<cv::Rect, cv::Rect>>& regions);

}  // namespace stereolint
