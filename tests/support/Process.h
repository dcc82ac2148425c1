// Starting a program the way a user would and capturing what it prints.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace stereolint::test {

struct ProcessResult {
  int exitCode = -1;  // the process status (0 to 255); -1 if it did not exit normally
  std::string out;    // everything written to standard output
  std::string err;    // everything written to standard error
};

struct ProcessOptions {
  std::string workingFolder;                   // empty: the current folder
  std::map<std::string, std::string> setEnv;   // added or replaced variables
  std::vector<std::string> unsetEnv;           // removed variables
};

// Runs `program` with `arguments` (argument 0 is `program` itself), waits for
// it and returns its exit status and both output streams.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

}  // namespace stereolint::test
