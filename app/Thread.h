// The worker that analyses one stereo frame on its own thread, and the
// polling through which the main thread collects finished workers.
//
// The main thread starts a worker per selected frame (appending it to
// workerList), and between frames calls reapThreads, which collects every
// finished worker: it appends the frame's rows to the RESULTS table, lets the
// mode present the results, reports what went wrong, and destroys the
// worker. Only the main thread touches workerList; a worker's results are
// read only after it has finished.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QThread>
#include <opencv2/core.hpp>

#include "results/Result.h"
#include "results/ResultWriters.h"

namespace stereolint {

class Application;
class StereolintInterface;

class Thread : public QThread {
 public:
  // Copies both views in depth, so the caller may reuse its frame buffers at
  // once. `application` and `checker` are not owned and must outlive the
  // worker; the checker is shared with every other worker.
  Thread(Application* application, const StereolintInterface* checker, cv::Mat left, cv::Mat right,
         int id, int size, std::string name, std::string resultPath);
  ~Thread() override;

  // On the main thread, once isFinished(): the frame's RESULTS rows, then
  // presentResults of the application. A frame whose analysis failed is
  // reported as an error instead; files that could not be written are
  // reported as warnings.
  void collect();

 protected:
  // On the worker's thread: compute, visualize, then the frame's own files.
  // An error of the image library (or any other exception) is kept for
  // collect() instead of leaving the thread, which would end the process.
  void run() override;

 private:
  Application* application;
  const StereolintInterface* checker;
  cv::Mat left;
  cv::Mat right;
  int id;
  int size;
  std::string name;
  std::string resultPath;
  Results results;
  cv::Mat summary;
  std::string failure;          // the analysis error, empty when it succeeded
  WriteFailures writeFailures;  // files the worker could not write
};

// The started, not yet collected workers, in the order they were started.
extern std::vector<std::unique_ptr<Thread>> workerList;

// Creates a worker, appends it to workerList and starts it with the
// inherited priority.
void startWorker(std::unique_ptr<Thread> worker);

// Collects and destroys every finished worker, in list order (so, by the
// time they are found finished, not necessarily frame order), and returns
// how many workers remain.
unsigned reapThreads();

// Polls at least every 250 ms (at once when the oldest worker finishes)
// until fewer than `threads` workers remain.
void waitForFreeWorker(int threads);
// Polls the same way until no worker remains.
void waitForAllWorkers();

}  // namespace stereolint
