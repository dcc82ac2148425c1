#include "qc/FrameAssessment.h"

#include <algorithm>
#include <cmath>

namespace stereolint::qc {

namespace {

// `value` over `limit`, with a zero limit making every non-zero value far
// beyond it.
double ratio(double value, double limit) {
  if (limit > 0) return value / limit;
  return value > 0 ? 1e9 : 0;
}

struct KeyJudgement {
  Verdict verdict;
  double severity;
};

KeyJudgement judgeMagnitude(double magnitude, double pass, double fix) {
  const Verdict verdict =
      magnitude <= pass ? Verdict::Pass : (magnitude <= fix ? Verdict::Fix : Verdict::Reject);
  return {verdict, ratio(magnitude, pass)};
}

std::optional<KeyJudgement> judgeBudget(const FrameRecord& record, Measure nearSide,
                                        Measure farSide, const LimitPair& budget) {
  const auto& nearValue = record.values[measureIndex(nearSide)];
  const auto& farValue = record.values[measureIndex(farSide)];
  if (!nearValue && !farValue) return std::nullopt;
  const double nearLimit = budget.first.amount;
  const double farLimit = budget.second.amount;
  const double nearest = nearValue.value_or(std::min(0.0, *farValue));
  const double farthest = farValue.value_or(std::max(0.0, *nearValue));
  double severity = 0;
  if (nearValue) severity = std::max(severity, nearLimit < 0 ? ratio(-nearest, -nearLimit)
                                                             : (nearest < nearLimit ? 1e9 : 0));
  if (farValue) severity = std::max(severity, farLimit > 0 ? ratio(farthest, farLimit)
                                                           : (farthest > farLimit ? 1e9 : 0));
  if (nearest >= nearLimit && farthest <= farLimit) return KeyJudgement{Verdict::Pass, severity};
  if (farthest - nearest <= farLimit - nearLimit) return KeyJudgement{Verdict::Fix, severity};
  return KeyJudgement{Verdict::Reject, severity};
}

// The measures judged under `owner`'s limit: a near and a far side for a
// depth budget, else the owner alone.
std::optional<KeyJudgement> judgeLimit(Measure owner, const FrameRecord& record,
                                       const QcLimits& limits) {
  const LimitPair& pair = limits.of(owner);
  const MeasureInfo& info = measureInfo(owner);
  if (isBudget(owner)) {
    std::optional<Measure> nearSide, farSide;
    for (Measure measure : measuresUnder(owner)) {
      const LimitRule rule = measureInfo(measure).rule;
      if (rule == LimitRule::BudgetNear) nearSide = measure;
      if (rule == LimitRule::BudgetFar) farSide = measure;
    }
    return judgeBudget(record, nearSide.value_or(owner), farSide.value_or(owner), pair);
  }
  const std::optional<double>& value = record.values[measureIndex(owner)];
  if (!value) return std::nullopt;
  const int height = record.viewSize.height;
  if (info.rule == LimitRule::RowsOrHeight)
    return judgeMagnitude(std::fabs(*value), pair.first.inRows(height), pair.second.inRows(height));
  if (info.rule == LimitRule::AtLeast)
    return judgeMagnitude(-*value, -pair.first.amount, -pair.second.amount);
  if (info.rule == LimitRule::AtMost)
    return judgeMagnitude(*value, pair.first.amount, pair.second.amount);
  if (info.rule == LimitRule::Magnitude)
    return judgeMagnitude(std::fabs(*value), pair.first.amount, pair.second.amount);
  // Degrees and % from one: the distance from perfect in the limit's own unit.
  const double magnitude = info.rule == LimitRule::PercentFromOne ? std::fabs(*value - 1.0) * 100.0
                                                                  : std::fabs(*value);
  return judgeMagnitude(magnitude, pair.first.amount, pair.second.amount);
}

// Why nothing the frame's values say can be trusted, or "", in the words of
// the methods' STATUS lines: the method's own reason first (what the console
// printed for the frame), then views that show the same picture, then a
// view with nothing to see, then too few points.
std::string inconclusiveReason(const FrameRecord& record) {
  if (!record.inconclusiveReason.empty()) return record.inconclusiveReason;
  // A 2D frame has no depth or eye match to judge, and its perfect
  // geometry says nothing of the rig.
  if (record.status == FrameStatus::Identical) return frameStatusName(FrameStatus::Identical);
  if (record.signature.flat())
    return inconclusiveInfo(flatViewReason(record.signature.meanGrey())).words;
  if (record.points && *record.points < kMinimumPoints)
    return inconclusiveInfo(Inconclusive::TooFewPoints).words;
  return "";
}

}  // namespace

bool isGeometry(Measure measure) {
  return measure == Measure::Vertical || measure == Measure::Rotation ||
         measure == Measure::Scale || measure == Measure::Keystone;
}

bool geometryUncertain(const FrameRecord& record) {
  return record.inconclusiveReason == inconclusiveInfo(Inconclusive::FitUncertain).words;
}

FrameAssessment assessFrame(const FrameRecord& record, const QcLimits& limits) {
  FrameAssessment assessment;
  assessment.reason = inconclusiveReason(record);
  const bool partial = geometryUncertain(record);
  if (!assessment.reason.empty() && !partial) return assessment;
  bool judged = false;
  Verdict verdict = Verdict::Pass;
  for (Measure owner : limitOwners()) {
    if (partial && isGeometry(owner)) continue;
    const std::optional<KeyJudgement> judgement = judgeLimit(owner, record, limits);
    if (!judgement) continue;
    assessment.byLimit[measureIndex(owner)] = judgement->verdict;
    const bool worse = !judged || static_cast<int>(judgement->verdict) > static_cast<int>(verdict) ||
                       (judgement->verdict == verdict && judgement->severity > assessment.severity);
    if (worse) {
      verdict = judgement->verdict;
      assessment.worstLimit = owner;
    }
    assessment.severity = std::max(assessment.severity, judgement->severity);
    judged = true;
  }
  // A frame whose geometry could not be judged passes nothing: only a
  // problem found in the rest stands.
  if (partial && verdict == Verdict::Pass) judged = false;
  if (!judged) {
    const std::string reason = assessment.reason;
    assessment = FrameAssessment{};
    assessment.reason =
        partial ? reason : inconclusiveInfo(Inconclusive::NoMeasurement).words;
    return assessment;
  }
  assessment.reason.clear();
  assessment.verdict = verdict;
  return assessment;
}

Measure decidingMeasure(Measure owner, const FrameRecord& record, const QcLimits& limits) {
  const std::vector<Measure>& judged = measuresUnder(owner);
  if (judged.size() < 2) return owner;
  // A depth budget: the side further beyond its limit, or the side measured.
  const LimitPair& budget = limits.of(owner);
  std::optional<Measure> worst;
  double worstExcess = 0;
  for (Measure measure : judged) {
    const std::optional<double>& value = record.values[measureIndex(measure)];
    if (!value || measureInfo(measure).rule == LimitRule::NotJudged) continue;
    const bool nearSide = measureInfo(measure).rule == LimitRule::BudgetNear;
    const double excess = nearSide ? budget.first.amount - *value : *value - budget.second.amount;
    if (!worst || excess >= worstExcess) {
      worst = measure;
      worstExcess = excess;
    }
  }
  return worst.value_or(judged.back());
}

}  // namespace stereolint::qc
