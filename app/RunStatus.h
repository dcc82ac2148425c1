// What a run reports on the console besides the frames' own blocks: errors
// and warnings through the console log, and the progress line. It remembers
// whether anything went wrong, which makes the run's exit code -1.
// Main thread only.
#pragma once

#include <set>
#include <string>

#include "app/ProgressLine.h"
#include "results/ResultWriters.h"

namespace stereolint {

class RunStatus {
 public:
  // An error block; the run fails.
  void error(const std::string& phase, const std::string& message);
  // A warning block; the run does not fail because of it.
  void warning(const std::string& phase, const std::string& message);
  // A warning block for output that could not be written; the run fails.
  void failedWarning(const std::string& phase, const std::string& message);
  // One warning per file that could not be written and per folder that
  // could not be made (each folder once a run), each ending with its
  // reason ("Cannot write out/1_1_LEFT.png: No space left on device"); the
  // run fails.
  void outputFailed(const WriteFailures& failures);

  bool failed() const { return anyFailure; }
  ProgressLine& progress() { return line; }

 private:
  bool anyFailure = false;
  std::set<std::string> reportedFolders;
  ProgressLine line;
};

}  // namespace stereolint
