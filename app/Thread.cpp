#include "app/Thread.h"

#include <opencv2/core/core_c.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sstream>
#include <utility>

#include "app/FrameOutputs.h"
#include "checkers/StereolintInterface.h"
#include "platform/ThreadAnnotations.h"
#include "qc/FrameSignature.h"
#include "util/StageTimes.h"

namespace stereolint {

std::vector<std::unique_ptr<Thread>> workerList;

namespace {

constexpr std::chrono::milliseconds kPoll(250);

// Each worker signals as it finishes, so that the reader wakes as soon as
// any worker is free, not only the oldest. Never destroyed, so that no
// worker's last signal can meet their destruction as the process exits.
std::mutex& finishedMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

std::condition_variable& finishedSignal() {
  static auto* signal = new std::condition_variable;
  return *signal;
}

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

Thread::Thread(const StereolintInterface* checker, cv::Mat left, cv::Mat right, int id, int size,
               std::string name, std::string resultPath)
    : checker(checker) {
  frame.left = std::move(left);
  frame.right = std::move(right);
  frame.id = id;
  frame.size = size;
  frame.name = std::move(name);
  frame.resultPath = std::move(resultPath);
}

Thread::~Thread() {
  // isFinished() has been seen before any started worker is destroyed;
  // waiting returns at once and lets the thread leave Qt's own code first.
  if (!notStarted) wait();
}

bool Thread::isDone() const { return notStarted || measured || isFinished(); }

namespace {

// Qt says why it could not start a thread only as a message of its own; it
// is caught here and goes into the frame's error block instead.
std::string startMessage;

void keepStartMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
  startMessage = message.toStdString();
}

}  // namespace

bool Thread::begin() {
  startMessage.clear();
  const QtMessageHandler previous = qInstallMessageHandler(keepStartMessage);
  start(QThread::InheritPriority);
  qInstallMessageHandler(previous);
  // A thread that the system refused is neither running nor finished, and
  // never will be.
  if (isRunning() || isFinished()) return true;
  notStarted = true;
  frame.failure = "the worker thread cannot be started (" +
                  (startMessage.empty() ? std::string("the system refused it") : startMessage) +
                  "); a limit on processes or threads (ulimit -u) may be reached";
  return false;
}

void Thread::writeThrough(const FrameOutputs& frameOutputs, bool sign) {
  outputs = &frameOutputs;
  signFrame = sign;
}

void Thread::run() {
  {
    const timing::ScopedFrame frameTime;
    // The signature first: a frame that fails still has its picture, which
    // places it between the cuts.
    if (signFrame) frame.signature = qc::frameSignature(frame.left);
    try {
      frame.outcome = checker->measureFrame(frame.left, frame.right);
      if (outputs != nullptr) {
        outputs->writeFrameFiles(frame);
      } else {
        frame.writeFailures = writeEveryFrameFile(*checker, frame);
      }
    } catch (const cv::Exception& error) {
      frame.failure = describe(error);
    } catch (const std::exception& error) {
      frame.failure = error.what();
    }
  }
  STEREOLINT_HAPPENS_BEFORE(this);
  {
    const std::lock_guard<std::mutex> lock(finishedMutex());
    measured = true;
  }
  finishedSignal().notify_all();
}

bool startWorker(std::unique_ptr<Thread> worker) {
  workerList.push_back(std::move(worker));
  return workerList.back()->begin();
}

unsigned reapThreads(FrameCollector& collector) {
  for (size_t i = 0; i < workerList.size(); ++i) {
    if (workerList[i]->isDone()) {
      STEREOLINT_HAPPENS_AFTER(workerList[i].get());
      collector.collect(workerList[i]->work());
      workerList.erase(workerList.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
    }
  }
  return static_cast<unsigned>(workerList.size());
}

namespace {

// One pause between polls: at most 250 ms, but over as soon as any worker
// has finished, so that no core waits for a slower frame started earlier.
void pauseBetweenPolls() {
  std::unique_lock<std::mutex> lock(finishedMutex());
  finishedSignal().wait_for(lock, kPoll, [] {
    return std::any_of(workerList.begin(), workerList.end(),
                       [](const std::unique_ptr<Thread>& worker) { return worker->isDone(); });
  });
}

}  // namespace

void waitForFreeWorker(int threads, FrameCollector& collector) {
  const auto limit = static_cast<unsigned>(std::max(threads, 1));
  while (reapThreads(collector) >= limit) pauseBetweenPolls();
}

void waitForAllWorkers(FrameCollector& collector) {
  while (reapThreads(collector) != 0) pauseBetweenPolls();
}

}  // namespace stereolint
