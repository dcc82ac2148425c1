// "--fail-on fix|reject": whether a take's shots make the run fail.
#pragma once

#include <string_view>
#include <vector>

#include "util/Expected.h"
#include "qc/Shot.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

// The exit code of a run whose shots fail the chosen level.
inline constexpr int kQcFailedExitCode = 3;

// "fix" gives Verdict::Fix, "reject" Verdict::Reject, in any letter case
// ("FIX"); a failure names the valid words.
Expected<Verdict> parseFailLevel(std::string_view text);

// True when any shot's verdict is at or beyond `level` (FIX: FIX or REJECT;
// REJECT: REJECT). INCONCLUSIVE shots never fail a run.
bool failsAt(Verdict level, const std::vector<Shot>& shots);

}  // namespace stereolint::qc
