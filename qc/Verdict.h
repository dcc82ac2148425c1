// The four verdicts of quality control, for a frame, a shot or a take.
#pragma once

#include <optional>
#include <string_view>

namespace stereolint::qc {

enum class Verdict {
  Pass,          // within every pass limit
  Fix,           // outside a pass limit, within every fix limit: correctable in post
  Reject,        // outside a fix limit
  Inconclusive,  // cannot be judged: too few points, a black or flat view, a failed frame
};

inline constexpr int kVerdictCount = 4;

// "PASS", "FIX", "REJECT", "INCONCLUSIVE".
const char* verdictName(Verdict verdict);
// The verdict of one of those names (exact, upper case), or nothing.
std::optional<Verdict> verdictFromName(std::string_view name);

// The more severe of two conclusive verdicts (PASS < FIX < REJECT). An
// INCONCLUSIVE side gives way to the other; two give INCONCLUSIVE.
Verdict worseOf(Verdict a, Verdict b);

// True when `verdict` is FIX or REJECT and at least as severe as `level`
// (FIX or REJECT). INCONCLUSIVE is never at or beyond a level.
bool atOrBeyond(Verdict verdict, Verdict level);

}  // namespace stereolint::qc
