// A shot: consecutive frames between two cuts, judged as a whole.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "qc/EyeSync.h"
#include "qc/Findings.h"
#include "qc/FrameAssessment.h"
#include "qc/FrameRecord.h"
#include "qc/Verdict.h"
#include "results/Measures.h"

namespace stereolint::qc {

// One measure over the conclusive frames of a shot.
struct MeasureSummary {
  Measure measure = Measure::Vertical;
  double median = 0;  // the median (mean of the middle two for an even count)
  // The value furthest from perfect: largest |value| (SCALE: |value - 1|),
  // lowest NEAR PARALLAX, highest FAR PARALLAX; the earliest frame on a tie.
  double worst = 0;
  int worstFrame = 0;
};

struct Shot {
  int number = 0;  // counted from 1 in the take
  int firstFrame = 0;
  int lastFrame = 0;
  int frameCount = 0;  // frames analysed in the shot (fewer than the range when some were skipped)
  // Decided by the medians of the measures over the shot's conclusive
  // frames, so a single odd frame does not decide it. INCONCLUSIVE when
  // fewer than half of the frames are conclusive.
  Verdict verdict = Verdict::Inconclusive;
  std::string reason;  // why INCONCLUSIVE (the most common frame reason); else empty
  // The verdict of the medians under each limit, indexed by the limit's
  // owner; empty for a limit not judged (or an INCONCLUSIVE shot).
  std::array<std::optional<Verdict>, kMeasureCount> byLimit;
  // The limits the medians are beyond, in table order.
  std::vector<Finding> findings;
  // Why the eyes' timing makes the shot REJECT ("The right eye is 2 frames
  // behind the left (confidence 0.93)"); empty when it does not (see
  // applyEyeSync).
  std::string eyes;
  // The conclusive frame furthest out: most severe frame verdict, then
  // furthest beyond its pass limits, the earliest on a tie. Empty when no
  // frame is conclusive.
  std::optional<int> worstFrame;
  // The measure that decides the worst frame's verdict, and its value there.
  std::optional<Measure> worstMeasure;
  double worstValue = 0;
  // The shot's own measure (DEPTH JUMP, at the cut before its first frame)
  // when it decides a verdict worse than its worst frame's; the shot's line
  // then names it. Empty otherwise.
  std::optional<Measure> decidedAtCut;
  std::vector<MeasureSummary> measures;  // in kAllMeasures order, the measured ones
  std::vector<int> outliers;             // conclusive frames judged worse than the shot
  int inconclusiveFrames = 0;
  // The median parallax (MEDIAN PARALLAX, % of width) of the shot's first
  // and last kDepthJumpFrames conclusive frames that have one: the two sides
  // of its cuts. Empty without the dense parallax.
  std::optional<double> startDepth;
  std::optional<double> endDepth;
};

// The frames each side of a cut whose depth is compared.
inline constexpr size_t kDepthJumpFrames = 3;

// A frame of a shot with its judgement.
struct JudgedFrame {
  const FrameRecord* record = nullptr;
  FrameAssessment assessment;
};

// True when `a` ranks as a worse frame than `b`: a more severe conclusive
// verdict, or the same verdict and a larger severity. INCONCLUSIVE frames
// rank below every conclusive one.
bool ranksWorse(const FrameAssessment& a, const FrameAssessment& b);

// The shot of `frames` (at least one, in frame order). With the shot before
// it, its DEPTH JUMP is judged with its measures: how far the median
// parallax moves from the end of `previous` to its start.
Shot summarizeShot(int number, const std::vector<JudgedFrame>& frames, const QcLimits& limits,
                   const Shot* previous = nullptr);

// The eyes' timing counts in the verdicts: an offset of a frame or more,
// measured, makes every judged shot REJECT, whatever its alignment (the
// offset holds from the first frames on, so every shot shows each eye a
// different moment). INCONCLUSIVE shots stay so. Nothing changes for eyes
// in step, not measured, or that cannot be told.
void applyEyeSync(std::vector<Shot>& shots, const EyeSync& sync);

// The whole take.
struct TakeSummary {
  // The most severe verdict of the conclusive shots; INCONCLUSIVE when no
  // shot is conclusive (or there is none).
  Verdict verdict = Verdict::Inconclusive;
  std::array<int, kVerdictCount> shotsByVerdict{};
  std::array<int, kVerdictCount> framesByVerdict{};
  int frameCount = 0;

  // The frames with a conclusive verdict, and their share of the frames in
  // percent (100 for a take without frames).
  int judgedFrames() const {
    return frameCount - framesByVerdict[static_cast<size_t>(Verdict::Inconclusive)];
  }
  double judgedPercent() const {
    return frameCount > 0 ? 100.0 * judgedFrames() / frameCount : 100.0;
  }
};

// Counts `shots` by verdict into `take` and sets its verdict, the most
// severe of the conclusive shots.
void countShots(TakeSummary& take, const std::vector<Shot>& shots);

}  // namespace stereolint::qc
