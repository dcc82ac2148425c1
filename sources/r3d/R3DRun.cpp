// The frame loop for R3D clips.
#include "app/Application.h"

namespace stereolint {

int Application::processR3D(std::array<std::string, 2> /*inputs*/, std::string /*orientation*/,
                            const StereolintInterface* /*checker*/, int /*threads*/,
                            std::string /*resultPath*/, std::string /*sequence*/) {
  runStatus.error("ConsoleApplication::run - [R3D]", "R3D clips cannot be decoded in this build");
  return -1;
}

}  // namespace stereolint
