// "--fail-on fix|reject": whether a take's shots make the run fail.
#pragma once

#include <string_view>
#include <vector>

#include "util/Expected.h"
#include "qc/QcOptions.h"
#include "qc/Shot.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

// The exit code of a run whose shots fail the chosen level.
inline constexpr int kQcFailedExitCode = 3;
// The exit code of a run under --fail-on whose take could not be judged:
// fewer frames than --min-judged asks had a conclusive verdict.
inline constexpr int kQcUnjudgedExitCode = 4;

// "fix" gives Verdict::Fix, "reject" Verdict::Reject, in any letter case
// ("FIX"); a failure names the valid words.
Expected<Verdict> parseFailLevel(std::string_view text);

// True when any shot's verdict is at or beyond `level` (FIX: FIX or REJECT;
// REJECT: REJECT). INCONCLUSIVE shots never fail a run.
bool failsAt(Verdict level, const std::vector<Shot>& shots);

// The exit code quality control gives the take: 0 without --fail-on;
// kQcFailedExitCode when a shot fails the level; else kQcUnjudgedExitCode
// when the judged share of the frames is below the minimum; else 0.
int gateExitCode(const QcOptions& options, const std::vector<Shot>& shots,
                 const TakeSummary& take);

}  // namespace stereolint::qc
