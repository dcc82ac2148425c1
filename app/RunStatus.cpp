#include "app/RunStatus.h"

#include "app/ConsoleLog.h"

namespace stereolint {

void RunStatus::reset() {
  anyFailure = false;
  reportedFolders.clear();
  line.finish();
}

void RunStatus::error(const std::string& phase, const std::string& message) {
  line.clear();
  logError(phase, message);
  anyFailure = true;
}

void RunStatus::warning(const std::string& phase, const std::string& message) {
  line.clear();
  logWarning(phase, message);
}

void RunStatus::outputFailed(const WriteFailures& failures) {
  if (failures.empty()) return;
  anyFailure = true;
  line.clear();
  for (const std::string& folder : failures.folders) {
    if (reportedFolders.insert(folder).second) {
      logWarning("Writer - [folder]", "Cannot create the folder " + folder);
    }
  }
  for (const std::string& file : failures.files) {
    logWarning("Writer - [file]", "Cannot write " + file);
  }
}

}  // namespace stereolint
