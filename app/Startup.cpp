#include "app/Startup.h"

#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/ConsoleApplication.h"
#include "app/FramePipeline.h"
#include "app/GUIApplication.h"
#include "app/Methods.h"
#include "app/RunOptions.h"
#include "checkers/ParameterCheck.h"
#include "platform/Signals.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

std::unique_ptr<Presenter> createPresenter(RunMode mode, RunStatus& status) {
  if (mode == RunMode::Console) return std::make_unique<ConsoleApplication>();
  return std::make_unique<GUIApplication>(status);
}

// Runs the checked options and returns the exit code.
int runAnalysis(const RunOptions& options) {
  RunStatus status;
  const std::unique_ptr<Presenter> presenter = createPresenter(options.mode, status);
  // The one checker serves every worker of the run.
  if (options.method == nullptr) {
    status.error("ConsoleApplication::run - [method]",
                 "Unknown disparity method \"" + options.methodName + "\"; valid: " + methodNames());
    return -1;
  }
  const std::unique_ptr<StereolintInterface> checker = options.method->create(options.parameters);
  FramePipeline pipeline(options, *checker, *presenter, status);
  return pipeline.run();
}

}  // namespace

int startStereolint(const std::vector<std::string>& words) {
  const CommandLine line = readCommandLine(words);
  if (line.help) {
    std::cout << usageText() << std::flush;
    return 0;
  }
  if (const auto error = checkSettings(line.settings)) {
    std::cerr << *error << std::flush;
    return -1;
  }
  const Expected<RunOptions> read = runOptions(line.settings);
  if (!read) {
    std::cerr << argumentError(read.error()) << std::flush;
    return -1;
  }
  const RunOptions& options = read.value();
  // An unknown method is reported when the run starts; its parameters are
  // checked as the method of steps reads them.
  const auto check =
      options.method != nullptr ? options.method->checkParameters : checkParameters;
  if (const auto problem = check(options.parameters)) {
    std::cerr << argumentError(*problem) << std::flush;
    return -1;
  }
  platform::installStopHandlers();
  const int status = runAnalysis(options);
  timing::writeStageTimes();
  return status;
}

}  // namespace stereolint
