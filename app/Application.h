// The two run modes of Stereolint and the analysis run they share.
#pragma once

#include <array>
#include <string>

#include <opencv2/core.hpp>

#include "app/RunStatus.h"
#include "results/Result.h"

namespace stereolint {

class StereolintInterface;

class Application {
 public:
  Application() = default;
  virtual ~Application();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Analyses one input from start to end and returns the exit code: 0 when
  // every selected frame was analysed, presented and written; -1 when the
  // method is unknown, the input cannot be read or is of an unsupported
  // kind, the views differ in size, or any frame or output file failed
  // (each reported on the console as it happens). The same for both modes;
  // only presentResults differs. `threads` must read as at least 1.
  int run(std::array<std::string, 2> inputs, std::string orientation, std::string method,
          std::string threads, std::string resultPath, std::string parameters,
          std::string sequence);

  // Shows the results of one analysed frame. Called on the main thread, once
  // per collected frame, in the order in which frames are collected. `id`
  // counts frames from 1; `size` is the frame count of the first input (1
  // for still images); `name` is the base name of the first input file.
  virtual void presentResults(cv::Mat left, cv::Mat right, int id, int size,
                              const Results& results, cv::Mat summary, std::string name) = 0;

  // The run variants, one per input kind. Each reads the frames, hands the
  // selected pairs to workers (at most `threads` alive after each frame)
  // and waits for all of them; it returns 0, or -1 after reporting an input
  // it cannot read.
  int processVideo(std::array<std::string, 2> inputs, std::string orientation,
                   const StereolintInterface* checker, int threads, std::string resultPath,
                   std::string sequence);
  int processImages(std::array<std::string, 2> inputs, std::string orientation,
                    const StereolintInterface* checker, std::string resultPath);
  int processR3D(std::array<std::string, 2> inputs, std::string orientation,
                 const StereolintInterface* checker, int threads, std::string resultPath,
                 std::string sequence);

  // Errors, warnings and progress of the current run (main thread only).
  RunStatus& status() { return runStatus; }

 private:
  RunStatus runStatus;
};

}  // namespace stereolint
