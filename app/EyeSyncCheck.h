// The eyes' timing in a run with two inputs (two videos, two image
// sequences): the pipeline hands it the views of the frames it reads; it
// estimates the offset between the eyes from the first qc::kEyeSyncFrames
// pairs (qc/EyeSync.h) and reports, as warnings, what a normal run must not
// hide:
//
//   "The right eye has 1998 frames, the left 2000"
//   "The right eye is 2 frames behind the left (confidence 0.93)"
//   "Whether the eyes are in step cannot be told: the picture barely moves
//    in the 120 frames compared"   (only when the frame counts differ)
//
// Eyes found in step print nothing, and a run with one input (a stereo file,
// or the first input alone) neither measures nor prints anything.
#pragma once

#include <opencv2/core.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/RunStatus.h"
#include "qc/EyeSync.h"
#include "sources/InputStreams.h"

namespace stereolint {

class EyeSyncCheck {
 public:
  // `status` must outlive the check.
  explicit EyeSyncCheck(RunStatus& status) : status(status) {}

  // Once the inputs are open. The check is on for two inputs of a take
  // (videos, image sequences, clips); a pair of stills is one frame.
  void start(const InputStreams& streams);
  // Each picture read, with its place in the take (from 0), in take order:
  // the pictures of the two streams, cut by `regions` when they hold both
  // views. Only the first run of consecutive places is compared: frames
  // passed over (a selection that starts later, --every, a damaged picture)
  // end it. The report is made as soon as enough frames were seen.
  void add(std::int64_t place, const cv::Mat (&pictures)[2],
           const std::optional<std::pair<cv::Rect, cv::Rect>>& regions);
  // Once reading ends: the report, unless made already, and the outcome
  // (NotApplicable for one input).
  const qc::EyeSync& finish();

 private:
  void report();

  RunStatus& status;
  bool active = false;
  bool reported = false;
  std::int64_t lastPlace = -1;
  qc::EyeSyncEstimator estimator;
  qc::EyeSync outcome;
};

// The warnings a run prints for `sync`, in order; none when the eyes are in
// step or nothing applies.
std::vector<std::string> eyeSyncWarnings(const qc::EyeSync& sync);

}  // namespace stereolint
