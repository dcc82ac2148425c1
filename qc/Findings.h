// Why a frame or a shot is not PASS, limit by limit, and what corrects it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qc/FrameAssessment.h"
#include "qc/FrameRecord.h"
#include "qc/QcLimits.h"
#include "qc/Verdict.h"
#include "results/Measures.h"

namespace stereolint::qc {

// One limit a record is beyond.
struct Finding {
  Measure owner;    // the limit's owner (see limitOwners())
  Measure measure;  // the measure that decides: the owner, or NEAR or FAR PARALLAX for the budget
  Verdict verdict;  // FIX or REJECT
  double value;     // the measure's value, in its own unit (SCALE a ratio)
  // The correction it asks, in the unit of the measure's correction text:
  // the whole offset in rows (VERTICAL, KEYSTONE), the whole rotation in
  // degrees, the whole size difference in % (SCALE), the whole COLOUR and
  // HIGHLIGHT AREA; for PARALLAX the % of the width beyond the budget's
  // side, for DIVERGENCE and DEPTH JUMP the part beyond the pass limit.
  // Positive.
  double amount;
};

// The limits `record` is beyond (FIX or REJECT under `assessment.byLimit`),
// in table order. None for a PASS or INCONCLUSIVE record.
std::vector<Finding> findingsOf(const FrameRecord& record, const FrameAssessment& assessment,
                                const QcLimits& limits);

// The limit the finding is beyond, as people read it: "pass limit 0.3 % of
// the height (3.24 rows)" for FIX, "fix limit 0.5°" for REJECT; a depth
// budget is "depth budget -1 % to 2 % of the width".
std::string exceededLimitText(const Finding& finding, const QcLimits& limits, int viewHeight);

// What correcting a set of findings asks, one clause per problem with the
// largest amount each needs ("up to" when the amounts differ), joined by
// "; ": "parallax outside the depth budget: move the eyes apart by 1.40 %
// of the width; rotation: turn the right view by up to 0.32°". Empty for no
// finding.
std::string correctionsText(const std::vector<Finding>& findings);

}  // namespace stereolint::qc
