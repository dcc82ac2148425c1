// The worker that analyses one stereo frame on its own thread, and the
// polling through which the main thread collects finished workers.
//
// The pipeline starts a worker per selected frame (appending it to
// workerList), and between frames calls reapThreads, which hands every
// finished worker to the collector (the pipeline: it appends the frame's
// rows to the RESULTS table, presents the results and reports what went
// wrong) and destroys it. Only the main thread touches workerList; a
// worker's results are read only after it has finished.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QThread>
#include <opencv2/core.hpp>

#include "qc/FrameRecord.h"
#include "qc/PictureFilter.h"
#include "results/FrameOutcome.h"
#include "results/ResultWriters.h"

namespace stereolint {

class FrameOutputs;
class StereolintInterface;

// What a worker leaves behind for its frame.
struct FrameWork {
  cv::Mat left;                 // the views as analysed
  cv::Mat right;
  int id = 0;                   // the frame, counted from 1
  int size = 0;                 // the frame count of the first input
  std::string name;             // base name of the first input
  std::string resultPath;       // the output prefix
  FrameOutcome outcome;         // what the checker found, with its results
  cv::Mat summary;              // the checker's summary picture
  std::string failure;          // why the frame could not be analysed; empty when it was
  WriteFailures writeFailures;  // files the worker could not write
  // Under quality control only: the left view's signature (also of a frame
  // that failed), the frame's record when it was measured, and what became
  // of its pictures: Write (written), Skip (none) or Hold (not written; the
  // views, results and summary are kept for the main thread to write once
  // the shot is complete). See FrameOutputs.
  qc::FrameSignature signature;
  std::optional<qc::FrameRecord> record;
  qc::PictureDecision pictures = qc::PictureDecision::Write;
};

class Thread : public QThread {
 public:
  // Keeps both views as they are, without copying their pixels: the caller
  // hands them over and never writes into them again (every stream gives
  // each picture pixels of its own, see FrameStream::read). `checker` is not
  // owned, must outlive the worker and is shared with every other worker.
  Thread(const StereolintInterface* checker, cv::Mat left, cv::Mat right, int id, int size,
         std::string name, std::string resultPath);
  ~Thread() override;

  // True once the worker is done: its thread has finished, or it never
  // started (then `work().failure` says so).
  bool isDone() const;
  // The frame's outcome; read only once isDone().
  FrameWork& work() { return frame; }

  // Starts the thread with the inherited priority. When the system refuses
  // a thread (a process or thread limit), the worker is done at once, with
  // that as its failure, and false is returned.
  bool begin();

  // Before begin(): the frame's files are written through `outputs` (which
  // must outlive the worker) instead of all of them as they are, and with
  // `signFrame` the worker also signs the frame's left view for quality
  // control.
  void writeThrough(const FrameOutputs& outputs, bool signFrame);

 protected:
  // On the worker's thread: measure, then the frame's own files and its
  // summary. An error of the image library (or any other exception) is kept
  // as the failure instead of leaving the thread, which would end the
  // process: the one place where a frame's exceptions stop.
  void run() override;

 private:
  const StereolintInterface* checker;
  const FrameOutputs* outputs = nullptr;
  bool signFrame = false;
  FrameWork frame;
  bool notStarted = false;
  // Set last on the worker's thread, once the frame is measured and written.
  std::atomic<bool> measured{false};
};

// Receives each finished worker's frame on the main thread.
class FrameCollector {
 public:
  virtual ~FrameCollector() = default;
  virtual void collect(FrameWork& frame) = 0;
};

// The started, not yet collected workers, in the order they were started.
extern std::vector<std::unique_ptr<Thread>> workerList;

// Appends a worker to workerList and starts it; false when its thread could
// not be started (the worker stays in the list, done, to be collected).
bool startWorker(std::unique_ptr<Thread> worker);

// Hands every done worker to `collector` and destroys it, in list order (so,
// by the time they are found done, not necessarily frame order), and returns
// how many workers remain.
unsigned reapThreads(FrameCollector& collector);

// Polls at least every 250 ms (at once when any worker finishes) until
// fewer than `threads` workers remain.
void waitForFreeWorker(int threads, FrameCollector& collector);
// Polls the same way until no worker remains.
void waitForAllWorkers(FrameCollector& collector);

}  // namespace stereolint
