// Small helpers for writing HTML and SVG text.
#pragma once

#include <string>
#include <string_view>

#include "qc/Verdict.h"
#include "results/Measures.h"

namespace stereolint::report {

// `text` with &, <, >, " and ' replaced by their character references, and
// each byte that is no part of valid UTF-8 (a Latin-1 file name) by U+FFFD.
std::string escapeHtml(std::string_view text);
// A number with at most `decimals` decimals, classic locale, no "-0".
std::string fixedNumber(double value, int decimals);
// A number with exactly `decimals` decimals, classic locale; one that
// rounds to zero reads "0.00", never "-0.00". `plus` puts "+" before a
// positive value.
std::string signedNumber(double value, int decimals, bool plus = false);
// A measure's value as the report shows it, with its unit: "2.10 rows",
// "0.125°", "-1.20 % of width"; SCALE as its ratio and its difference from
// equal size, "1.0120 (+1.20 %)".
std::string measureText(Measure measure, double value);
// The CSS class of a verdict: "pass", "fix", "reject", "inconclusive".
const char* verdictClass(qc::Verdict verdict);
// A badge: <span class="badge CLASS">NAME</span>.
std::string verdictBadge(qc::Verdict verdict);

}  // namespace stereolint::report
