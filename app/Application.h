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
  // method is unknown, the input cannot be read (not a single frame of it)
  // or is of an unsupported kind, the views differ in size, a frame is too
  // small to cut into two views, the selection names none of the frames
  // read, or any frame or output file failed (each reported on the console
  // as it happens). The same for both modes; only presentResults differs.
  // `threads` must read as at least 1.
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
  // After a frame loop that read `framesRead` frames of `input` and started
  // `framesSelected` workers: when frames were read but the selection named
  // none of them (only frame 0, or frames past the end), nothing was
  // analysed, which is reported as an error.
  void reportEmptySelection(const std::string& input, const std::string& sequence, int framesRead,
                            int framesSelected);

  // Before the frames of `input` are analysed: when the checker measures
  // anything but no feature tile of its WIDTH and HEIGHT fits views of
  // `view` size, a warning says so. Every step would then print its TIME
  // alone, for no reason the footage shows. The exit code is not affected.
  void warnWhenNoTileFits(const StereolintInterface& checker, cv::Size view,
                          const std::string& input);

  RunStatus runStatus;
};

}  // namespace stereolint
