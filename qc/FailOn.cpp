#include "qc/FailOn.h"

#include <string>

namespace stereolint::qc {

Expected<Verdict> parseFailLevel(std::string_view text) {
  if (text == "fix") return Verdict::Fix;
  if (text == "reject") return Verdict::Reject;
  return Failure{"Unknown failure level \"" + std::string(text) + "\"; the levels are fix, reject"};
}

bool failsAt(Verdict level, const std::vector<Shot>& shots) {
  for (const Shot& shot : shots)
    if (atOrBeyond(shot.verdict, level)) return true;
  return false;
}

}  // namespace stereolint::qc
