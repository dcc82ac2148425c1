#include "qc/Shot.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace stereolint::qc {

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2.0;
}

std::optional<MeasureSummary> summarizeMeasure(Measure measure,
                                               const std::vector<JudgedFrame>& conclusive) {
  std::vector<double> values;
  MeasureSummary summary;
  summary.measure = measure;
  for (const JudgedFrame& frame : conclusive) {
    const auto& value = frame.record->values[measureIndex(measure)];
    if (!value || (isGeometry(measure) && geometryUncertain(*frame.record))) continue;
    if (values.empty() ||
        distanceFromPerfect(measure, *value) > distanceFromPerfect(measure, summary.worst)) {
      summary.worst = *value;
      summary.worstFrame = frame.record->frame;
    }
    values.push_back(*value);
  }
  if (values.empty()) return std::nullopt;
  summary.median = median(std::move(values));
  return summary;
}

// The median of MEDIAN PARALLAX over the first (`start`) or last
// kDepthJumpFrames conclusive frames that have it.
std::optional<double> sideDepth(const std::vector<JudgedFrame>& conclusive, bool start) {
  std::vector<double> values;
  for (size_t i = 0; i < conclusive.size() && values.size() < kDepthJumpFrames; ++i) {
    const JudgedFrame& frame = conclusive[start ? i : conclusive.size() - 1 - i];
    if (const auto& value = frame.record->values[measureIndex(Measure::MedianParallax)])
      values.push_back(*value);
  }
  if (values.empty()) return std::nullopt;
  return median(std::move(values));
}

std::string mostCommonReason(const std::vector<JudgedFrame>& frames) {
  std::map<std::string, int> counts;
  std::string best;
  int bestCount = 0;
  for (const JudgedFrame& frame : frames) {
    if (frame.assessment.verdict != Verdict::Inconclusive) continue;
    const int count = ++counts[frame.assessment.reason];
    if (count > bestCount) {
      best = frame.assessment.reason;
      bestCount = count;
    }
  }
  return best;
}

// A record holding the shot's medians, judged like a frame.
FrameRecord medianRecord(const std::vector<MeasureSummary>& measures, cv::Size viewSize) {
  FrameRecord record;
  record.viewSize = viewSize;
  for (const MeasureSummary& summary : measures)
    record.values[measureIndex(summary.measure)] = summary.median;
  return record;
}

}  // namespace

bool ranksWorse(const FrameAssessment& a, const FrameAssessment& b) {
  if (a.verdict == Verdict::Inconclusive) return false;
  if (b.verdict == Verdict::Inconclusive) return true;
  if (a.verdict != b.verdict) return static_cast<int>(a.verdict) > static_cast<int>(b.verdict);
  return a.severity > b.severity;
}

Shot summarizeShot(int number, const std::vector<JudgedFrame>& frames, const QcLimits& limits,
                   const Shot* previous) {
  Shot shot;
  shot.number = number;
  shot.firstFrame = frames.front().record->frame;
  shot.lastFrame = frames.back().record->frame;
  shot.frameCount = static_cast<int>(frames.size());
  std::vector<JudgedFrame> conclusive;
  const JudgedFrame* worst = nullptr;
  for (const JudgedFrame& frame : frames) {
    if (frame.assessment.verdict == Verdict::Inconclusive) continue;
    conclusive.push_back(frame);
    if (worst == nullptr || ranksWorse(frame.assessment, worst->assessment)) worst = &frame;
  }
  shot.inconclusiveFrames = shot.frameCount - static_cast<int>(conclusive.size());
  if (worst != nullptr) {
    shot.worstFrame = worst->record->frame;
    if (worst->assessment.worstLimit) {
      const Measure measure = decidingMeasure(*worst->assessment.worstLimit, *worst->record, limits);
      shot.worstMeasure = measure;
      shot.worstValue = worst->record->values[measureIndex(measure)].value_or(0);
    }
  }
  for (Measure measure : kAllMeasures)
    if (auto summary = summarizeMeasure(measure, conclusive)) shot.measures.push_back(*summary);
  shot.startDepth = sideDepth(conclusive, true);
  shot.endDepth = sideDepth(conclusive, false);
  if (previous != nullptr && previous->endDepth && shot.startDepth) {
    const double jump = std::fabs(*shot.startDepth - *previous->endDepth);
    shot.measures.push_back({Measure::DepthJump, jump, jump, shot.firstFrame});
  }
  if (conclusive.empty() || 2 * conclusive.size() < frames.size()) {
    shot.reason = mostCommonReason(frames);
    return shot;
  }
  const FrameRecord medians = medianRecord(shot.measures, conclusive.front().record->viewSize);
  const FrameAssessment whole = assessFrame(medians, limits);
  shot.verdict = whole.verdict;
  shot.reason = whole.reason;
  shot.byLimit = whole.byLimit;
  shot.findings = findingsOf(medians, whole, limits);
  if (whole.worstLimit == Measure::DepthJump &&
      worseOf(worst->assessment.verdict, shot.verdict) != worst->assessment.verdict)
    shot.decidedAtCut = Measure::DepthJump;
  for (const JudgedFrame& frame : conclusive)
    if (worseOf(frame.assessment.verdict, shot.verdict) != shot.verdict)
      shot.outliers.push_back(frame.record->frame);
  return shot;
}

void applyEyeSync(std::vector<Shot>& shots, const EyeSync& sync) {
  if (sync.status != EyeSyncStatus::Measured || sync.offset == 0) return;
  const std::string why = eyeSyncSentence(sync);
  for (Shot& shot : shots) {
    if (shot.verdict == Verdict::Inconclusive) continue;
    shot.verdict = Verdict::Reject;
    shot.eyes = why;
  }
}

void countShots(TakeSummary& take, const std::vector<Shot>& shots) {
  take.shotsByVerdict = {};
  take.verdict = Verdict::Inconclusive;
  for (const Shot& shot : shots) {
    ++take.shotsByVerdict[static_cast<size_t>(shot.verdict)];
    take.verdict = worseOf(take.verdict, shot.verdict);
  }
}

}  // namespace stereolint::qc
