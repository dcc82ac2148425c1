// Starting a program the way a user would and capturing what it prints.
#pragma once

#include <sys/types.h>

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

// A program running beside the test. Its output goes to files rather than
// pipes, so a chatty program never blocks.
class BackgroundProcess {
 public:
  // Starts `program` with `arguments` (argument 0 is `program` itself).
  BackgroundProcess(const std::string& program, const std::vector<std::string>& arguments,
                    const ProcessOptions& options = {});
  // Ends the program if it still runs.
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // True while the program has not exited.
  bool running();
  // Waits for the program to exit and returns its status and output.
  ProcessResult wait();
  // Ends the program at once with SIGKILL, as a crash or an operator
  // would, and returns what it printed until then.
  ProcessResult kill();

 private:
  pid_t child = -1;
  int status = 0;
  bool reaped = false;
  std::string outPath;
  std::string errPath;
};

// Runs `program` to its end and returns its exit status and both output
// streams.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

}  // namespace stereolint::test
