#include "app/Application.h"

#include "app/ConsoleLog.h"

namespace stereolint {

Application::~Application() = default;

int Application::run(std::array<std::string, 2> /*inputs*/, std::string /*orientation*/,
                     std::string /*method*/, std::string /*threads*/,
                     std::string /*resultPath*/, std::string /*parameters*/,
                     std::string /*sequence*/) {
  logError("Application::run", "The analysis run is not available in this build yet");
  return -1;
}

}  // namespace stereolint
