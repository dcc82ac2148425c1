// Running the Stereolint program as a user would, and what it cost.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace bench {

struct ProgramRun {
  int status = -1;           // exit status, -1 when it did not exit normally
  double wallSeconds = 0;
  double cpuSeconds = 0;     // user + system time of the program
  double peakMiB = 0;        // peak resident memory
  // The program's own stage timers: milliseconds summed over threads by
  // stage name, and each analysed frame's time.
  std::map<std::string, double> stageMs;
  std::vector<double> frameMs;
  // Resident memory in MiB, sampled every 250 ms while the program ran.
  std::vector<double> residentMiB;

  double coresBusy() const { return wallSeconds > 0 ? cpuSeconds / wallSeconds : 0; }
};

// The program the benchmark runs: the Stereolint of this build, unless
// setProgram named another (an earlier build, to compare).
const std::string& program();
void setProgram(const std::string& path);

// Runs the program in CONSOLE mode on a side-by-side input with the
// benchmark parameters, `threads` workers, writing under `output`, with its
// stage timers on. `pinToOneCore` keeps the program on the first CPU it may
// use. The program's console output is discarded.
ProgramRun runStereolint(const std::string& input, const std::string& output, int threads,
                         bool pinToOneCore = false);

// Runs the program with `arguments` (the words after its path), its stage
// timers written beside `output` (a result prefix), its console output
// discarded.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& output,
                      bool pinToOneCore = false);

// The benchmark's parameters: the three checkers in hierarchy on corrected
// views, distributions on, ORB features in 10 % tiles.
extern const char* const kBenchParameters;

// The highest of `residentMiB` (samples in time order) in each of `parts`
// equal parts of the run, as " 588 529 570 559": flat when nothing
// accumulates from frame to frame.
std::string peakByPart(const std::vector<double>& residentMiB, size_t parts);

// The median of a list; 0 for an empty one.
double median(std::vector<double> values);

}  // namespace bench
