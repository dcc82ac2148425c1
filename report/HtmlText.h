// Small helpers for writing HTML and SVG text.
#pragma once

#include <string>
#include <string_view>

#include "qc/Verdict.h"

namespace stereolint::report {

// `text` with &, <, >, " and ' replaced by their character references, and
// each byte that is no part of valid UTF-8 (a Latin-1 file name) by U+FFFD.
std::string escapeHtml(std::string_view text);
// A number with at most `decimals` decimals, classic locale, no "-0".
std::string fixedNumber(double value, int decimals);
// The CSS class of a verdict: "pass", "fix", "reject", "inconclusive".
const char* verdictClass(qc::Verdict verdict);
// A badge: <span class="badge CLASS">NAME</span>.
std::string verdictBadge(qc::Verdict verdict);

}  // namespace stereolint::report
