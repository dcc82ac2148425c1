// Running another program (a renderer, a shell script) and keeping what it
// printed, with what it cost.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct CommandRun {
  int status = -1;  // exit status, -1 when it did not exit normally
  double wallSeconds = 0;
  double cpuSeconds = 0;  // user + system time of the program and its children
  std::string out;        // its standard output

  double coresBusy() const { return wallSeconds > 0 ? cpuSeconds / wallSeconds : 0; }
};

// Runs `words` (the program's path first) from the current folder and waits
// for it, its standard error written to `errorFile`. An empty `words` or a
// program that cannot be started gives status 127.
CommandRun runCommand(const std::vector<std::string>& words,
                      const std::string& errorFile = "/dev/null");

// The last line of `text` that is not empty, without its line end; "" for none.
std::string lastLine(const std::string& text);

}  // namespace bench
