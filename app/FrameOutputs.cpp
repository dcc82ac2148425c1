#include "app/FrameOutputs.h"

#include <utility>

#include "qc/FrameAssessment.h"
#include "results/ResultsTable.h"
#include "util/StageTimes.h"

namespace stereolint {

WriteFailures writeEveryFrameFile(const StereolintInterface& checker, FrameWork& frame) {
  const auto draw = [&checker](const Results& sources) {
    const timing::ScopedStage drawing(timing::Stage::Drawing);
    return checker.visualize(sources);
  };
  return writeFrameFilesSummaryLast(frame.left, frame.right, frame.id, frame.size,
                                    frame.outcome.results,
                                    checker.visualizeSources(frame.outcome.results), draw,
                                    frame.summary, frame.resultPath);
}

FrameOutputs::FrameOutputs(const RunOptions& options, const StereolintInterface& checker,
                           Presenter& presenter)
    : options(options),
      checker(checker),
      presenter(presenter),
      drawSummary(options.mode == RunMode::Gui || !options.quality.enabled ||
                    options.quality.pictures != qc::PictureMode::None),
      reviewer(options.quality.enabled && options.quality.pictures != qc::PictureMode::None
                   ? checker.reviewChecker()
                   : nullptr) {}

FrameParts FrameOutputs::judge(FrameWork& frame) const {
  if (!options.quality.enabled) return FrameParts::All;
  frame.record =
      qc::recordFromOutcome(frame.id, frame.outcome, frame.left.size(), frame.signature);
  const qc::Verdict verdict = qc::assessFrame(*frame.record, options.quality.limits).verdict;
  frame.pictures = qc::decidePictures(options.quality.pictures, verdict);
  return frame.pictures == qc::PictureDecision::Write ? FrameParts::All : FrameParts::Text;
}

void FrameOutputs::writeFrameFiles(FrameWork& frame) const {
  const FrameParts parts = judge(frame);
  if (drawSummary && parts == FrameParts::All) {
    // The pictures the summary is not drawn from are written and let go
    // before it is drawn: at 4K that is a third of the frame's memory.
    frame.writeFailures = writeEveryFrameFile(checker, frame);
    // A console run shows nothing: the main thread needs only the views
    // and the values.
    if (options.mode != RunMode::Gui) {
      frame.outcome.results = keepingPictures(frame.outcome.results, {});
      frame.summary.release();
    }
    return;
  }
  // The pictures are held for the main thread or not written at all; the
  // summary of a held frame is drawn now, on the worker.
  if (drawSummary) {
    const timing::ScopedStage drawing(timing::Stage::Drawing);
    frame.summary = checker.visualize(frame.outcome.results);
  }
  const timing::ScopedStage writing(timing::Stage::Writing);
  frame.writeFailures = writeFrameParts(parts, frame.left, frame.right, frame.id, frame.size,
                                        frame.outcome.results, frame.summary, frame.resultPath);
}

WriteFailures FrameOutputs::writeRows(const FrameWork& frame) const {
  const timing::ScopedStage writing(timing::Stage::Writing);
  return appendResultsRows(frame.id, frame.size, frame.outcome.results, frame.resultPath);
}

void FrameOutputs::present(const FrameWork& frame) {
  presenter.presentResults(frame.left, frame.right, frame.id, frame.size, frame.outcome.results,
                           frame.summary, frame.name);
}

void FrameOutputs::hold(FrameWork& frame) {
  held[frame.id] =
      HeldFrame{frame.left, frame.right, frame.summary, std::move(frame.outcome.results), frame.size};
}

WriteFailures FrameOutputs::writeHeld(int id) {
  const auto found = held.find(id);
  if (found == held.end()) return {};
  const HeldFrame& frame = found->second;
  WriteFailures failures =
      writeFrameParts(FrameParts::Pictures, frame.left, frame.right, id, frame.size, frame.results,
                      frame.summary, options.resultPath);
  held.erase(found);
  return failures;
}

void FrameOutputs::dropHeld(int id) { held.erase(id); }

WriteFailures FrameOutputs::writeReviewPictures(int id, int size, const cv::Mat& left,
                                                const cv::Mat& right) const {
  if (!reviewer) return {};
  FrameOutcome outcome;
  {
    const timing::ScopedStage drawing(timing::Stage::Drawing);
    outcome = reviewer->measureFrame(left, right);
  }
  const timing::ScopedStage writing(timing::Stage::Writing);
  return writeFrameParts(FrameParts::ResultPictures, left, right, id, size, outcome.results,
                         cv::Mat(), options.resultPath);
}

}  // namespace stereolint
