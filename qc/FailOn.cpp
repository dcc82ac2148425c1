#include "qc/FailOn.h"

#include <string>

#include "util/Words.h"

namespace stereolint::qc {

namespace {

struct Level {
  const char* name;
  Verdict verdict;
};

constexpr Level kLevels[] = {{"fix", Verdict::Fix}, {"reject", Verdict::Reject}};

}  // namespace

Expected<Verdict> parseFailLevel(std::string_view text) {
  std::string names;
  for (const Level& level : kLevels) {
    if (equalIgnoringCase(text, level.name)) return level.verdict;
    names += (names.empty() ? "" : ", ") + std::string(level.name);
  }
  return Failure{"Unknown failure level \"" + std::string(text) + "\"; the levels are " + names};
}

bool failsAt(Verdict level, const std::vector<Shot>& shots) {
  for (const Shot& shot : shots)
    if (atOrBeyond(shot.verdict, level)) return true;
  return false;
}

int gateExitCode(const QcOptions& options, const std::vector<Shot>& shots,
                 const TakeSummary& take) {
  if (!options.failOn) return 0;
  if (failsAt(*options.failOn, shots)) return kQcFailedExitCode;
  return take.judgedPercent() < options.minJudgedPercent ? kQcUnjudgedExitCode : 0;
}

}  // namespace stereolint::qc
