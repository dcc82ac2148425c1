#include "app/RunStatus.h"

#include "app/ConsoleLog.h"

namespace stereolint {

namespace {

// ": reason", or nothing when no reason is known.
std::string withReason(const std::string& reason) {
  return reason.empty() ? std::string() : ": " + reason;
}

}  // namespace

void RunStatus::error(const std::string& phase, const std::string& message) {
  line.clear();
  logError(phase, message);
  anyFailure = true;
}

void RunStatus::warning(const std::string& phase, const std::string& message) {
  line.clear();
  logWarning(phase, message);
}

void RunStatus::failedWarning(const std::string& phase, const std::string& message) {
  anyFailure = true;
  warning(phase, message);
}

void RunStatus::outputFailed(const WriteFailures& failures) {
  if (failures.empty()) return;
  anyFailure = true;
  line.clear();
  for (const WriteFailure& folder : failures.folders) {
    if (reportedFolders.insert(folder.path).second) {
      logWarning("Writer - [folder]",
                 "Cannot create the folder " + folder.path + withReason(folder.reason));
    }
  }
  for (const WriteFailure& file : failures.files) {
    logWarning("Writer - [file]", "Cannot write " + file.path + withReason(file.reason));
  }
}

}  // namespace stereolint
