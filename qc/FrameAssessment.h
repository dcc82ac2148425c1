// Judging one frame's measures against the limits.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "qc/FrameRecord.h"
#include "qc/QcLimits.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

struct FrameAssessment {
  Verdict verdict = Verdict::Inconclusive;
  // Why the frame is INCONCLUSIVE; empty for the other verdicts.
  std::string reason;
  // The verdict of each limit key; empty for a key whose measures the frame
  // does not have.
  std::array<std::optional<Verdict>, kLimitKeyCount> byKey;
  // The key that decides the verdict (the most severe, then the furthest
  // beyond its pass limit); empty when nothing was judged.
  std::optional<LimitKey> worstKey;
  // How far the frame lies from perfect alignment, for ranking frames of the
  // same verdict: the largest value over its pass limit (1 = at a pass
  // limit; for PARALLAX at the edge of the depth budget). 0 when nothing was
  // judged.
  double severity = 0;
};

// How a value is read against the limits:
//   VERTICAL, KEYSTONE  |rows|, the limits in rows of the frame's view height
//   ROTATION            |degrees|
//   SCALE               |ratio - 1| x 100 against the % limits
//   PARALLAX            within the budget when NEAR PARALLAX >= near and FAR
//                       PARALLAX <= far: PASS; outside it but with a range
//                       (far - near) that fits the budget's range: FIX (a
//                       horizontal shift of one view brings it in); else
//                       REJECT. A missing side is not judged.
// The frame's verdict is the most severe of its keys. It is INCONCLUSIVE,
// with the first reason that applies, when the signature is flat ("flat or
// black view"), the record has an inconclusive reason, the measures rest on
// fewer than kMinimumPoints points, or there is no measure at all.
FrameAssessment assessFrame(const FrameRecord& record, const QcLimits& limits);

// The measure behind a limit key that a person reads as "the worst value":
// NEAR or FAR PARALLAX for PARALLAX, whichever is further beyond its limit.
Measure decidingMeasure(LimitKey key, const FrameRecord& record, const QcLimits& limits);

}  // namespace stereolint::qc
