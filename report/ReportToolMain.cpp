// stereolint-report: see ReportTool.h.
#include <iostream>
#include <string>
#include <vector>

#include "report/ReportTool.h"
#include "util/ToolFacts.h"

int main(int argc, char** argv) {
  using namespace stereolint::report;
  const std::vector<std::string> words(argv + 1, argv + argc);
  const auto options = readReportToolOptions(words);
  if (!options) {
    std::cerr << "Error: " << options.error() << "\n\n" << reportToolUsage();
    return 255;
  }
  if (options.value().help) {
    std::cout << reportToolUsage();
    return 0;
  }
  if (options.value().version) {
    std::cout << stereolint::versionText("stereolint-report");
    return 0;
  }
  const ReportToolOutcome outcome = runReportTool(options.value());
  if (outcome.exitCode != 0) std::cerr << "Error: " << outcome.message << "\n";
  return outcome.exitCode;
}
