#include "app/Thread.h"

#include <algorithm>
#include <exception>
#include <sstream>
#include <utility>

#include <opencv2/core/core_c.h>

#include "app/Application.h"
#include "checkers/StereolintInterface.h"
#include "util/StageTimes.h"
#include "platform/ThreadAnnotations.h"
#include "results/ResultsTable.h"

namespace stereolint {

std::vector<std::unique_ptr<Thread>> workerList;

namespace {

constexpr unsigned long kPollMs = 250;

// The library's error as one line: its kind, its own text and where it
// arose, e.g. "Unsupported format or combination of formats: type=0 (in
// buildIndex_)".
std::string describe(const cv::Exception& error) {
  std::string detail;
  std::istringstream lines(error.err);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("> ", 0) == 0) line.erase(0, 2);
    if (line.empty()) continue;
    detail += (detail.empty() ? "" : "; ") + line;
  }
  std::string text = cvErrorStr(error.code);
  if (!detail.empty()) text += ": " + detail;
  if (!error.func.empty()) text += " (in " + error.func + ")";
  return text;
}

}  // namespace

Thread::Thread(Application* application, const StereolintInterface* checker, cv::Mat left,
               cv::Mat right, int id, int size, std::string name, std::string resultPath)
    : application(application),
      checker(checker),
      left(left.clone()),
      right(right.clone()),
      id(id),
      size(size),
      name(std::move(name)),
      resultPath(std::move(resultPath)) {}

Thread::~Thread() {
  // isFinished() has been seen before any worker is destroyed; waiting
  // returns at once and lets the thread leave Qt's own code first.
  wait();
}

void Thread::run() {
  const timing::ScopedFrame frameTime;
  try {
    results = checker->compute(nullptr, left, right);
    {
      const timing::ScopedStage drawing(timing::Stage::Drawing);
      summary = checker->visualize(results);
    }
    const timing::ScopedStage writing(timing::Stage::Writing);
    writeFailures = writeFrameFiles(left, right, id, size, results, summary, name, resultPath);
  } catch (const cv::Exception& error) {
    failure = describe(error);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  STEREOLINT_HAPPENS_BEFORE(this);
}

void Thread::collect() {
  STEREOLINT_HAPPENS_AFTER(this);
  RunStatus& status = application->status();
  status.progress().frameAnalysed();
  status.outputFailed(writeFailures);
  if (!failure.empty()) {
    status.error("Thread::run - [frame]", name + " : " + std::to_string(id) + " / " +
                                              std::to_string(size) + " (" +
                                              std::to_string(left.cols) + " x " +
                                              std::to_string(left.rows) + "): " + failure);
    return;
  }
  {
    const timing::ScopedStage writing(timing::Stage::Writing);
    status.outputFailed(writeCollectedResults(left, right, id, size, results, name, resultPath));
  }
  status.progress().clear();
  application->presentResults(left, right, id, size, results, summary, name);
}

void startWorker(std::unique_ptr<Thread> worker) {
  workerList.push_back(std::move(worker));
  workerList.back()->start(QThread::InheritPriority);
}

unsigned reapThreads() {
  for (size_t i = 0; i < workerList.size(); ++i) {
    if (workerList[i]->isFinished()) {
      workerList[i]->collect();
      workerList.erase(workerList.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
    }
  }
  return static_cast<unsigned>(workerList.size());
}

namespace {

// One pause between polls: at most 250 ms, but over as soon as the oldest
// worker has finished, so that a run with one thread does not lose up to a
// poll interval per frame. Workers that finish out of order are still
// collected at the next poll, in list order, as ever.
void pauseBetweenPolls() {
  if (workerList.empty()) return;
  workerList.front()->wait(kPollMs);
}

}  // namespace

void waitForFreeWorker(int threads) {
  const auto limit = static_cast<unsigned>(std::max(threads, 1));
  while (reapThreads() >= limit) pauseBetweenPolls();
}

void waitForAllWorkers() {
  while (reapThreads() != 0) pauseBetweenPolls();
}

}  // namespace stereolint
