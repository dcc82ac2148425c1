#include "qc/QcSession.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace stereolint::qc {

QcSession::QcSession(QcLimits limits, std::vector<int> expectedFrames, PictureMode pictures)
    : qcLimits(limits),
      expected(std::move(expectedFrames)),
      expectedSet(expected.begin(), expected.end()),
      pictures(pictures) {}

void QcSession::expect(int frame) {
  if (finished || !expectedSet.insert(frame).second) return;
  expected.push_back(frame);
}

void QcSession::useCuts(const ShotScan& scan) {
  knownStarts.emplace(scan.starts.begin(), scan.starts.end());
  scanEnd = scan.lastFrame;
}

SessionUpdate QcSession::add(FrameRecord record) {
  SessionUpdate update;
  const int frame = record.frame;
  if (finished || expectedSet.count(frame) == 0 || records.count(frame) != 0) {
    update.accepted = false;
    return update;
  }
  update.assessment = assessFrame(record, qcLimits);
  assessments.emplace(frame, update.assessment);
  records.emplace(frame, std::move(record));
  walk(update);
  return update;
}

SessionUpdate QcSession::finish() {
  SessionUpdate update;
  if (finished) return update;
  finished = true;
  for (; cursor < expected.size(); ++cursor)
    if (records.count(expected[cursor]) != 0) step(expected[cursor], update);
  if (!openShot.empty()) closeShot(update);
  return update;
}

void QcSession::walk(SessionUpdate& update) {
  while (cursor < expected.size() && records.count(expected[cursor]) != 0)
    step(expected[cursor++], update);
}

void QcSession::step(int frame, SessionUpdate& update) {
  const FrameRecord& record = records.at(frame);
  if (!openShot.empty()) {
    const int before = openShot.back();
    const bool cut =
        knownStarts ? knownStarts->upper_bound(before) != knownStarts->upper_bound(frame)
                    : isCut(records.at(before).signature, record.signature);
    if (cut) closeShot(update);
  }
  openShot.push_back(frame);
  const FrameAssessment& assessment = assessments.at(frame);
  const bool held = decidePictures(pictures, assessment.verdict) == PictureDecision::Hold;
  const bool newWorst = assessment.verdict != Verdict::Inconclusive &&
                        (!openWorst || ranksWorse(assessment, assessments.at(*openWorst)));
  if (!newWorst) {
    if (held) update.dropHeld.push_back(frame);
    return;
  }
  if (openWorst &&
      decidePictures(pictures, assessments.at(*openWorst).verdict) == PictureDecision::Hold)
    update.dropHeld.push_back(*openWorst);
  openWorst = frame;
}

void QcSession::closeShot(SessionUpdate& update) {
  std::vector<JudgedFrame> frames;
  frames.reserve(openShot.size());
  for (int frame : openShot) frames.push_back({&records.at(frame), assessments.at(frame)});
  completed.push_back(summarizeShot(static_cast<int>(completed.size()) + 1, frames, qcLimits));
  if (knownStarts) {
    // The shot's whole range as the reading pass found it.
    Shot& shot = completed.back();
    auto next = knownStarts->upper_bound(shot.firstFrame);
    if (next != knownStarts->begin()) shot.firstFrame = *std::prev(next);
    next = knownStarts->upper_bound(shot.lastFrame);
    shot.lastFrame = next != knownStarts->end() ? *next - 1 : std::max(shot.lastFrame, scanEnd);
  }
  update.closedShots.push_back(completed.back());
  if (openWorst &&
      decidePictures(pictures, assessments.at(*openWorst).verdict) == PictureDecision::Hold)
    update.writeHeld.push_back(*openWorst);
  openShot.clear();
  openWorst.reset();
}

std::vector<FrameRecord> QcSession::frames() const {
  std::vector<FrameRecord> list;
  list.reserve(records.size());
  for (const auto& entry : records) list.push_back(entry.second);
  return list;
}

TakeSummary QcSession::take() const { return summarizeTake(completed, frames(), qcLimits); }

std::vector<Shot> shotsOf(const std::vector<FrameRecord>& frames, const QcLimits& limits,
                          const std::optional<ShotScan>& scan) {
  std::vector<int> numbers;
  numbers.reserve(frames.size());
  for (const FrameRecord& record : frames) numbers.push_back(record.frame);
  std::sort(numbers.begin(), numbers.end());
  QcSession session(limits, numbers);
  if (scan) session.useCuts(*scan);
  for (const FrameRecord& record : frames) session.add(record);
  session.finish();
  return session.shots();
}

TakeSummary summarizeTake(const std::vector<Shot>& shots, const std::vector<FrameRecord>& frames,
                          const QcLimits& limits) {
  TakeSummary take;
  for (const Shot& shot : shots) {
    ++take.shotsByVerdict[static_cast<size_t>(shot.verdict)];
    take.verdict = worseOf(take.verdict, shot.verdict);
  }
  for (const FrameRecord& record : frames)
    ++take.framesByVerdict[static_cast<size_t>(assessFrame(record, limits).verdict)];
  take.frameCount = static_cast<int>(frames.size());
  return take;
}

}  // namespace stereolint::qc
