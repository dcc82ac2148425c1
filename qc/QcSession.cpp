#include "qc/QcSession.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace stereolint::qc {

namespace {

// A cut of a reading pass lies between two frames when a shot starts after
// the first and at or before the second.
bool cutBetween(const ShotScan& scan, int before, int after) {
  return std::upper_bound(scan.starts.begin(), scan.starts.end(), before) !=
         std::upper_bound(scan.starts.begin(), scan.starts.end(), after);
}

// The shot's whole range as the reading pass found it: from its start to
// the frame before the next start, or the last frame read.
void widenToScan(Shot& shot, const ShotScan& scan) {
  auto next = std::upper_bound(scan.starts.begin(), scan.starts.end(), shot.firstFrame);
  if (next != scan.starts.begin()) shot.firstFrame = *std::prev(next);
  next = std::upper_bound(scan.starts.begin(), scan.starts.end(), shot.lastFrame);
  shot.lastFrame = next != scan.starts.end() ? *next - 1 : std::max(shot.lastFrame, scan.lastFrame);
}

}  // namespace

QcSession::QcSession(QcLimits limits, std::vector<int> expectedFrames, PictureMode pictures)
    : qcLimits(limits),
      expected(std::move(expectedFrames)),
      expectedSorted(expected),
      pictures(pictures) {
  std::sort(expectedSorted.begin(), expectedSorted.end());
  expectedSorted.erase(std::unique(expectedSorted.begin(), expectedSorted.end()),
                       expectedSorted.end());
}

bool QcSession::isExpected(int frame) const {
  return std::binary_search(expectedSorted.begin(), expectedSorted.end(), frame);
}

void QcSession::expect(int frame) {
  if (finished) return;
  const auto place = std::lower_bound(expectedSorted.begin(), expectedSorted.end(), frame);
  if (place != expectedSorted.end() && *place == frame) return;
  expectedSorted.insert(place, frame);
  expected.push_back(frame);
}

void QcSession::useCuts(const ShotScan& shotScan) {
  scan = shotScan;
  std::sort(scan->starts.begin(), scan->starts.end());
}

SessionUpdate QcSession::add(FrameRecord record) {
  SessionUpdate update;
  const int frame = record.frame;
  if (finished || !isExpected(frame) || records.count(frame) != 0) {
    update.accepted = false;
    return update;
  }
  update.assessment = assessFrame(record, qcLimits);
  ++framesByVerdict[static_cast<size_t>(update.assessment.verdict)];
  assessments.emplace(frame, update.assessment);
  // The thumbnail stays until the end of the run: made afresh here, on the
  // session's thread, it does not pin the memory of the worker that made
  // the record among that worker's large, short-lived buffers.
  record.signature.thumbnail = std::vector<std::uint8_t>(record.signature.thumbnail);
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
    const bool cut = scan ? cutBetween(*scan, before, frame)
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
    update.notWorst.push_back(frame);
    return;
  }
  if (openWorst &&
      decidePictures(pictures, assessments.at(*openWorst).verdict) == PictureDecision::Hold)
    update.dropHeld.push_back(*openWorst);
  if (openWorst) update.notWorst.push_back(*openWorst);
  openWorst = frame;
}

void QcSession::closeShot(SessionUpdate& update) {
  std::vector<JudgedFrame> frames;
  frames.reserve(openShot.size());
  for (int frame : openShot) frames.push_back({&records.at(frame), assessments.at(frame)});
  const Shot* previous = completed.empty() ? nullptr : &completed.back();
  completed.push_back(
      summarizeShot(static_cast<int>(completed.size()) + 1, frames, qcLimits, previous));
  if (scan) widenToScan(completed.back(), *scan);
  update.closedShots.push_back(completed.back());
  if (openWorst &&
      decidePictures(pictures, assessments.at(*openWorst).verdict) == PictureDecision::Hold)
    update.writeHeld.push_back(*openWorst);
  if (openWorst) update.shotWorst.push_back(*openWorst);
  // A closed shot's judgements are not asked again: take() counts them as
  // frames come.
  for (int frame : openShot) assessments.erase(frame);
  openShot.clear();
  openWorst.reset();
}

std::vector<FrameRecord> QcSession::frames() const {
  std::vector<FrameRecord> list;
  list.reserve(records.size());
  for (const auto& entry : records) list.push_back(entry.second);
  return list;
}

std::vector<FrameRecord> QcSession::releaseFrames() {
  std::vector<FrameRecord> list;
  list.reserve(records.size());
  // Each record leaves the map as it is moved, so the two never hold every
  // record at once.
  while (!records.empty()) list.push_back(std::move(records.extract(records.begin()).mapped()));
  return list;
}

TakeSummary QcSession::take() const { return take(completed); }

TakeSummary QcSession::take(const std::vector<Shot>& shots) const {
  // The frames' verdicts are counted as they come: no copy of the records
  // is needed.
  TakeSummary take;
  countShots(take, shots);
  take.framesByVerdict = framesByVerdict;
  for (int count : framesByVerdict) take.frameCount += count;
  return take;
}

std::vector<Shot> shotsOf(const std::vector<FrameRecord>& frames, const QcLimits& limits,
                          const std::optional<ShotScan>& scan) {
  // The walk of a session that has every frame: in frame-number order, a
  // cut between consecutive frames whose signatures say so. It keeps the
  // judgements of the open shot only and copies no record, as a report of a
  // long take needs.
  std::vector<const FrameRecord*> order;
  order.reserve(frames.size());
  for (const FrameRecord& record : frames) order.push_back(&record);
  std::stable_sort(order.begin(), order.end(),
                   [](const FrameRecord* a, const FrameRecord* b) { return a->frame < b->frame; });
  std::vector<Shot> shots;
  std::vector<JudgedFrame> open;
  auto close = [&]() {
    const Shot* previous = shots.empty() ? nullptr : &shots.back();
    shots.push_back(summarizeShot(static_cast<int>(shots.size()) + 1, open, limits, previous));
    if (scan) widenToScan(shots.back(), *scan);
    open.clear();
  };
  for (const FrameRecord* record : order) {
    if (!open.empty() && open.back().record->frame == record->frame) continue;  // added twice
    if (!open.empty() && (scan ? cutBetween(*scan, open.back().record->frame, record->frame)
                                : isCut(open.back().record->signature, record->signature)))
      close();
    open.push_back({record, assessFrame(*record, limits)});
  }
  if (!open.empty()) close();
  return shots;
}

TakeSummary summarizeTake(const std::vector<Shot>& shots, const std::vector<FrameRecord>& frames,
                          const QcLimits& limits) {
  TakeSummary take;
  countShots(take, shots);
  for (const FrameRecord& record : frames)
    ++take.framesByVerdict[static_cast<size_t>(assessFrame(record, limits).verdict)];
  take.frameCount = static_cast<int>(frames.size());
  return take;
}

}  // namespace stereolint::qc
