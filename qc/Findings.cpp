#include "qc/Findings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace stereolint::qc {

namespace {

std::string twoDecimals(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// "0.3", "1", "-1": a limit amount without trailing zeros.
std::string shortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The correction `value` of `measure` asks, in the unit of the measure's
// correction text: an offset, a rotation or a size difference is taken out
// whole; parallax is moved just inside the budget, since any depth within it
// is as meant; a measure judged at most its limit says which it asks.
double correctionAmount(Measure measure, double value, const LimitPair& budget) {
  switch (measureInfo(measure).rule) {
    case LimitRule::RowsOrHeight:
    case LimitRule::Degrees: return std::fabs(value);
    case LimitRule::PercentFromOne: return std::fabs(value - 1.0) * 100.0;
    case LimitRule::BudgetNear: return std::max(0.0, budget.first.amount - value);
    case LimitRule::BudgetFar: return std::max(0.0, value - budget.second.amount);
    case LimitRule::AtMost:
      return measureInfo(measure).correctsWholeValue ? value
                                                     : std::max(0.0, value - budget.first.amount);
    case LimitRule::Magnitude: return std::fabs(value);
    case LimitRule::AtLeast:
    case LimitRule::NotJudged: break;
  }
  return 0;
}

}  // namespace

std::vector<Finding> findingsOf(const FrameRecord& record, const FrameAssessment& assessment,
                                const QcLimits& limits) {
  std::vector<Finding> findings;
  for (Measure owner : limitOwners()) {
    const std::optional<Verdict>& verdict = assessment.byLimit[measureIndex(owner)];
    if (!verdict || (*verdict != Verdict::Fix && *verdict != Verdict::Reject)) continue;
    const Measure measure = decidingMeasure(owner, record, limits);
    const std::optional<double>& value = record.values[measureIndex(measure)];
    if (!value) continue;
    findings.push_back(Finding{owner, measure, *verdict, *value,
                               correctionAmount(measure, *value, limits.of(owner))});
  }
  return findings;
}

std::string exceededLimitText(const Finding& finding, const QcLimits& limits, int viewHeight) {
  const LimitPair& pair = limits.of(finding.owner);
  const bool fix = finding.verdict == Verdict::Fix;
  const LimitAmount& limit = fix ? pair.first : pair.second;
  const std::string name = fix ? "pass limit " : "fix limit ";
  switch (measureInfo(finding.owner).rule) {
    case LimitRule::RowsOrHeight:
      if (!limit.percent) return name + shortNumber(limit.amount) + " rows";
      return name + shortNumber(limit.amount) + " % of the height (" +
             twoDecimals(limit.inRows(viewHeight)) + " rows)";
    case LimitRule::Degrees: return name + shortNumber(limit.amount) + "°";
    case LimitRule::PercentFromOne: return name + shortNumber(limit.amount) + " %";
    case LimitRule::BudgetNear:
    case LimitRule::BudgetFar:
      return "depth budget " + shortNumber(pair.first.amount) + " % to " +
             shortNumber(pair.second.amount) + " % of the width";
    case LimitRule::NotJudged: break;
    case LimitRule::AtMost:
    case LimitRule::AtLeast:
    case LimitRule::Magnitude:
      return name + shortNumber(limit.amount) + " " + measureUnit(finding.owner);
  }
  return "";
}

std::string correctionsText(const std::vector<Finding>& findings) {
  // The largest and smallest amount of each correction, in table order.
  std::map<Measure, std::pair<double, double>> ranges;
  for (const Finding& finding : findings) {
    auto [place, fresh] = ranges.try_emplace(finding.measure, finding.amount, finding.amount);
    if (fresh) continue;
    place->second.first = std::min(place->second.first, finding.amount);
    place->second.second = std::max(place->second.second, finding.amount);
  }
  std::string text;
  std::string lastProblem;
  for (const auto& [measure, range] : ranges) {
    const MeasureInfo& info = measureInfo(measure);
    std::string amount = twoDecimals(range.second);
    if (twoDecimals(range.first) != amount) amount = "up to " + amount;
    std::string correction = info.correction;
    if (const size_t at = correction.find("{}"); at != std::string::npos)
      correction.replace(at, 2, amount);
    // Both sides of a depth budget are one problem.
    if (lastProblem == info.problem) {
      text += " or " + correction;
    } else {
      text += (text.empty() ? "" : "; ") + std::string(info.problem) + ": " + correction;
    }
    lastProblem = info.problem;
  }
  return text;
}

}  // namespace stereolint::qc
