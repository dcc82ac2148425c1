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
  // The verdict under each limit, indexed by the limit's owner (see
  // limitOwners()); empty for a limit whose measures the frame does not have.
  std::array<std::optional<Verdict>, kMeasureCount> byLimit;
  // The owner of the limit that decides the verdict (the most severe, then
  // the furthest beyond its pass limit); empty when nothing was judged.
  std::optional<Measure> worstLimit;
  // How far the frame lies from perfect alignment, for ranking frames of the
  // same verdict: the largest value over its pass limit (1 = at a pass
  // limit; for PARALLAX at the edge of the depth budget). 0 when nothing was
  // judged.
  double severity = 0;
};

// How a value is read against its limit (the measure's LimitRule):
//   rows or height      |rows|, the limits in rows of the frame's view height
//   degrees             |degrees|
//   percent from one    |ratio - 1| x 100 against the % limits
//   depth budget        within the budget when NEAR PARALLAX >= near and FAR
//                       PARALLAX <= far: PASS; outside it but with a range
//                       (far - near) that fits the budget's range: FIX (a
//                       horizontal shift of one view brings it in); else
//                       REJECT. A missing side is not judged.
// The frame's verdict is the most severe of its limits. It is INCONCLUSIVE,
// with the first reason that applies, when the record has an inconclusive
// reason (the method's, or why the frame could not be read), the signature
// is flat ("BLACK VIEW" or "FLAT VIEW"), the measures rest on fewer than
// kMinimumPoints points ("TOO FEW POINTS"), or there is no measure at all
// ("no measurement").
// One reason is partial: a frame whose fit is FIT UNCERTAIN (the views line
// up row by row, but the rig's geometry is known too loosely to judge) is
// judged on its other measures (its depth and eyes): a FIX or REJECT there
// is its verdict, while all within its pass limits leaves it INCONCLUSIVE,
// since its geometry could not be checked.
FrameAssessment assessFrame(const FrameRecord& record, const QcLimits& limits);

// The measures of the rig's geometry as a fit gives them: VERTICAL,
// ROTATION, SCALE and KEYSTONE.
bool isGeometry(Measure measure);
// Whether the record's method found its fit FIT UNCERTAIN: its geometry is
// neither judged nor counted in its shot's medians.
bool geometryUncertain(const FrameRecord& record);

// The measure behind a limit that a person reads as "the worst value": the
// owner itself, or for a depth budget NEAR or FAR PARALLAX, whichever is
// further beyond its side.
Measure decidingMeasure(Measure owner, const FrameRecord& record, const QcLimits& limits);

}  // namespace stereolint::qc
