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

std::optional<KeyJudgement> judgeParallax(const FrameRecord& record, const LimitPair& budget) {
  const auto& nearValue = record.values[measureIndex(Measure::NearParallax)];
  const auto& farValue = record.values[measureIndex(Measure::FarParallax)];
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

std::optional<KeyJudgement> judgeKey(LimitKey key, const FrameRecord& record,
                                     const QcLimits& limits) {
  const LimitPair& pair = limits.of(key);
  const int height = record.viewSize.height;
  auto value = [&](Measure measure) { return record.values[measureIndex(measure)]; };
  switch (key) {
    case LimitKey::Vertical:
      if (!value(Measure::Vertical)) return std::nullopt;
      return judgeMagnitude(std::fabs(*value(Measure::Vertical)), pair.first.inRows(height),
                            pair.second.inRows(height));
    case LimitKey::Rotation:
      if (!value(Measure::Rotation)) return std::nullopt;
      return judgeMagnitude(std::fabs(*value(Measure::Rotation)), pair.first.amount,
                            pair.second.amount);
    case LimitKey::Scale:
      if (!value(Measure::Scale)) return std::nullopt;
      return judgeMagnitude(std::fabs(*value(Measure::Scale) - 1.0) * 100.0, pair.first.amount,
                            pair.second.amount);
    case LimitKey::Keystone:
      if (!value(Measure::Keystone)) return std::nullopt;
      return judgeMagnitude(std::fabs(*value(Measure::Keystone)), pair.first.inRows(height),
                            pair.second.inRows(height));
    case LimitKey::Parallax:
      return judgeParallax(record, pair);
  }
  return std::nullopt;
}

// Why nothing the frame's values say can be trusted, or "".
std::string inconclusiveReason(const FrameRecord& record) {
  // A flat view is named first: it is why a method finds nothing to match.
  if (record.signature.flat()) return "flat or black view";
  if (!record.inconclusiveReason.empty()) return record.inconclusiveReason;
  if (record.points && *record.points < kMinimumPoints)
    return "too few points (" + std::to_string(*record.points) + ")";
  return "";
}

}  // namespace

FrameAssessment assessFrame(const FrameRecord& record, const QcLimits& limits) {
  FrameAssessment assessment;
  assessment.reason = inconclusiveReason(record);
  if (!assessment.reason.empty()) return assessment;
  bool judged = false;
  Verdict verdict = Verdict::Pass;
  for (const LimitKeyInfo& info : limitKeyTable()) {
    const std::optional<KeyJudgement> judgement = judgeKey(info.key, record, limits);
    if (!judgement) continue;
    assessment.byKey[static_cast<size_t>(info.key)] = judgement->verdict;
    const bool worse = !judged || static_cast<int>(judgement->verdict) > static_cast<int>(verdict) ||
                       (judgement->verdict == verdict && judgement->severity > assessment.severity);
    if (worse) {
      verdict = judgement->verdict;
      assessment.worstKey = info.key;
    }
    assessment.severity = std::max(assessment.severity, judgement->severity);
    judged = true;
  }
  if (!judged) {
    assessment.reason = "no measure";
    return assessment;
  }
  assessment.verdict = verdict;
  return assessment;
}

Measure decidingMeasure(LimitKey key, const FrameRecord& record, const QcLimits& limits) {
  switch (key) {
    case LimitKey::Vertical: return Measure::Vertical;
    case LimitKey::Rotation: return Measure::Rotation;
    case LimitKey::Scale: return Measure::Scale;
    case LimitKey::Keystone: return Measure::Keystone;
    case LimitKey::Parallax: break;
  }
  const auto& nearValue = record.values[measureIndex(Measure::NearParallax)];
  const auto& farValue = record.values[measureIndex(Measure::FarParallax)];
  if (!nearValue) return Measure::FarParallax;
  if (!farValue) return Measure::NearParallax;
  const LimitPair& budget = limits.of(LimitKey::Parallax);
  const double nearExcess = budget.first.amount - *nearValue;
  const double farExcess = *farValue - budget.second.amount;
  return nearExcess > farExcess ? Measure::NearParallax : Measure::FarParallax;
}

}  // namespace stereolint::qc
