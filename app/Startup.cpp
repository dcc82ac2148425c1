#include "app/Startup.h"

#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/ConsoleApplication.h"
#include "app/GUIApplication.h"
#include "checkers/ParameterCheck.h"
#include "util/StageTimes.h"

namespace stereolint {

int startStereolint(const std::vector<std::string>& words) {
  const CommandLine line = readCommandLine(words);
  if (line.help) {
    std::cout << usageText() << std::flush;
    return 0;
  }
  const Settings& settings = line.settings;
  if (const auto error = checkSettings(settings)) {
    std::cerr << *error << std::flush;
    return -1;
  }
  if (const auto problem = checkParameters(settings.parameters)) {
    std::cerr << argumentError(*problem) << std::flush;
    return -1;
  }
  std::unique_ptr<Application> application;
  if (settings.mode == "CONSOLE") {
    application = std::make_unique<ConsoleApplication>();
  } else {
    application = std::make_unique<GUIApplication>();
  }
  const int status = application->run(settings.inputs, settings.orientation, settings.method,
                                      settings.threads, settings.resultPath, settings.parameters,
                                      settings.sequence);
  timing::writeStageTimes();
  return status;
}

}  // namespace stereolint
