#include "qc/Verdict.h"

#include <array>

namespace stereolint::qc {

namespace {

constexpr std::array<const char*, kVerdictCount> kNames = {"PASS", "FIX", "REJECT",
                                                           "INCONCLUSIVE"};

int severity(Verdict verdict) { return static_cast<int>(verdict); }

}  // namespace

const char* verdictName(Verdict verdict) { return kNames[static_cast<size_t>(verdict)]; }

std::optional<Verdict> verdictFromName(std::string_view name) {
  for (size_t i = 0; i < kNames.size(); ++i)
    if (name == kNames[i]) return static_cast<Verdict>(i);
  return std::nullopt;
}

Verdict worseOf(Verdict a, Verdict b) {
  if (a == Verdict::Inconclusive) return b;
  if (b == Verdict::Inconclusive) return a;
  return severity(a) >= severity(b) ? a : b;
}

bool atOrBeyond(Verdict verdict, Verdict level) {
  if (verdict == Verdict::Inconclusive || level == Verdict::Inconclusive) return false;
  if (level == Verdict::Pass) return false;
  return severity(verdict) >= severity(level);
}

}  // namespace stereolint::qc
