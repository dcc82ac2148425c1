#include "app/Startup.h"

#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/ConsoleApplication.h"
#include "app/FrameCount.h"
#include "app/FramePipeline.h"
#include "app/GUIApplication.h"
#include "app/Methods.h"
#include "app/RunOptions.h"
#include "platform/Signals.h"
#include "util/StageTimes.h"
#include "util/ToolFacts.h"

namespace stereolint {

namespace {

std::unique_ptr<Presenter> createPresenter(const RunOptions& options, RunStatus& status) {
  if (options.mode == RunMode::Console) return std::make_unique<ConsoleApplication>(!options.quiet);
  return std::make_unique<GUIApplication>(status, !options.quiet);
}

// Runs the checked options with their checker (null for an unknown method)
// and returns the exit code.
int runAnalysis(const RunOptions& options, const StereolintInterface* checker) {
  RunStatus status;
  const std::unique_ptr<Presenter> presenter = createPresenter(options, status);
  if (checker == nullptr) {
    status.error("ConsoleApplication::run - [method]",
                 "Unknown disparity method \"" + options.methodName + "\"; valid: " + methodNames() +
                     caseSpellingHint(options.methodName));
    return -1;
  }
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
  if (line.version) {
    std::cout << versionText("Stereolint") << std::flush;
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
  if (options.countFrames) return printFrameCount(options);
  // An unknown method is reported when the run starts; its parameters are
  // checked as the method of steps reads them. The one checker serves every
  // worker of the run.
  Expected<std::unique_ptr<StereolintInterface>> checker =
      makeChecker(options.method, options.parameters, options.viewing);
  if (!checker) {
    std::cerr << argumentError(checker.error()) << std::flush;
    return -1;
  }
  platform::installStopHandlers();
  const int status = runAnalysis(options, checker.value().get());
  timing::writeStageTimes();
  return status;
}

}  // namespace stereolint
