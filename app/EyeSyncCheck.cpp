#include "app/EyeSyncCheck.h"

namespace stereolint {

namespace {

const char* const kEyesPhase = "ConsoleApplication::run - [eyes]";

}  // namespace

std::vector<std::string> eyeSyncWarnings(const qc::EyeSync& sync) {
  std::vector<std::string> lines;
  if (sync.lengthsDiffer()) lines.push_back(qc::eyeLengthsSentence(sync));
  const bool late = sync.status == qc::EyeSyncStatus::Measured && sync.offset != 0;
  // Not being able to tell matters only when the frame counts differ too.
  if (late || (sync.lengthsDiffer() && sync.status == qc::EyeSyncStatus::CannotTell)) {
    lines.push_back(qc::eyeSyncSentence(sync));
  }
  return lines;
}

void EyeSyncCheck::start(const InputStreams& streams) {
  // A pair of stills is one frame: no timing to compare.
  active = streams.size() == 2 && streams.front()->words().isTake;
  if (!active) return;
  outcome.status = qc::EyeSyncStatus::CannotTell;
  const FrameStream& left = *streams.front();
  const FrameStream& right = *streams.back();
  if (left.countIsExact() && right.countIsExact()) {
    outcome.leftFrames = left.picturesHeld();
    outcome.rightFrames = right.picturesHeld();
  }
}

void EyeSyncCheck::add(std::int64_t place, const cv::Mat (&pictures)[2],
                       const std::optional<std::pair<cv::Rect, cv::Rect>>& regions) {
  if (!active || reported) return;
  // The estimate needs consecutive frames; a gap ends the frames it sees.
  if (estimator.frames() > 0 && place != lastPlace + 1) {
    report();
    return;
  }
  lastPlace = place;
  if (regions) {
    estimator.add(pictures[0](regions->first), pictures[1](regions->second));
  } else {
    estimator.add(pictures[0], pictures[1]);
  }
  if (estimator.full()) report();
}

const qc::EyeSync& EyeSyncCheck::finish() {
  if (active && !reported) report();
  return outcome;
}

void EyeSyncCheck::report() {
  reported = true;
  qc::EyeSync estimate = estimator.estimate();
  estimate.leftFrames = outcome.leftFrames;
  estimate.rightFrames = outcome.rightFrames;
  outcome = estimate;
  for (const std::string& line : eyeSyncWarnings(outcome)) status.warning(kEyesPhase, line);
}

}  // namespace stereolint
