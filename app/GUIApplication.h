// GUI mode: the console text of CONSOLE mode, and each collected frame's
// summary picture in the window "Stereolint".
#pragma once

#include "app/Application.h"

namespace stereolint {

class GUIApplication : public Application {
 public:
  void presentResults(cv::Mat left, cv::Mat right, int id, int size, const Results& results,
                      cv::Mat summary, std::string name) override;
};

}  // namespace stereolint
