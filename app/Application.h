// The two run modes of Stereolint and the analysis run they share.
#pragma once

#include <array>
#include <string>

#include <opencv2/core.hpp>

#include "results/Result.h"

namespace stereolint {

class Application {
 public:
  Application() = default;
  virtual ~Application();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Analyses one input from start to end and returns the exit code: 0 when
  // every selected frame was analysed and written, -1 otherwise. The same
  // for both modes; only presentResults differs.
  int run(std::array<std::string, 2> inputs, std::string orientation, std::string method,
          std::string threads, std::string resultPath, std::string parameters,
          std::string sequence);

  // Shows the results of one analysed frame. Called on the main thread, once
  // per collected frame, in the order in which frames are collected. `id`
  // counts frames from 1; `size` is the frame count of the first input (1
  // for still images); `name` is the base name of the first input file.
  virtual void presentResults(cv::Mat left, cv::Mat right, int id, int size,
                              const Results& results, cv::Mat summary, std::string name) = 0;
};

}  // namespace stereolint
