// How a run mode shows the results of each analysed frame.
#pragma once

#include <string>

#include <opencv2/core.hpp>

#include "results/Result.h"

namespace stereolint {

class Presenter {
 public:
  virtual ~Presenter() = default;

  // Shows the results of one analysed frame. Called on the main thread, once
  // per collected frame, in the order in which frames are collected. `id`
  // counts frames from 1; `size` is the frame count of the first input (1
  // for still images); `name` is the base name of the first input file.
  virtual void presentResults(cv::Mat left, cv::Mat right, int id, int size,
                              const Results& results, cv::Mat summary, std::string name) = 0;
};

}  // namespace stereolint
