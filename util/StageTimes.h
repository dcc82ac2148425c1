// Where the time of a run goes: wall-clock time per stage of the work,
// summed over every thread, for the benchmark and for anyone profiling a
// slow take.
//
// Off unless the environment variable STEREOLINT_TIMINGS names a file when
// the process first asks; then each timed scope adds its duration to its
// stage, each analysed frame adds its own duration to a list, and
// writeStageTimes() appends the report to that file. Off, a timed scope
// costs one relaxed atomic load. Timing never changes what is measured.
//
// The report, one item per line, times in milliseconds:
//   stage NAME TOTAL_MS COUNT      for each stage, in the order of `Stage`
//   frame MS                       for each analysed frame, in finishing order
#pragma once

#include <chrono>
#include <cstdint>

namespace stereolint::timing {

enum class Stage {
  Decoding,   // reading a frame from its file(s)
  Matching,   // features detected, described and matched, all tiles
  Measuring,  // the per-feature value loops and the statistics
  Drawing,    // result pictures and the summary
  Writing,    // PNG pictures, RESULT.txt and RESULTS.csv rows
};
constexpr int kStageCount = 5;

// The stage's name in the report: "decoding", "matching", "measuring",
// "drawing", "writing".
const char* stageName(Stage stage);

// True when STEREOLINT_TIMINGS named a file at the first call.
bool enabled();

// Adds one interval to a stage; ignored when timing is off.
void addStageTime(Stage stage, std::chrono::steady_clock::duration elapsed);

// Adds one analysed frame's whole time; ignored when timing is off.
void addFrameTime(std::chrono::steady_clock::duration elapsed);

// Appends the report to the STEREOLINT_TIMINGS file and starts the figures
// afresh. Does nothing when timing is off; a file that cannot be written is
// skipped silently (the figures are a diagnostic, not a result).
void writeStageTimes();

// Adds the lifetime of the scope to a stage (or, for the frame scope, to
// the frame list).
class ScopedStage {
 public:
  explicit ScopedStage(Stage stage) : stage(stage), on(enabled()) {
    if (on) start = std::chrono::steady_clock::now();
  }
  ~ScopedStage() {
    if (on) addStageTime(stage, std::chrono::steady_clock::now() - start);
  }
  ScopedStage(const ScopedStage&) = delete;
  ScopedStage& operator=(const ScopedStage&) = delete;

 private:
  Stage stage;
  bool on;
  std::chrono::steady_clock::time_point start;
};

class ScopedFrame {
 public:
  ScopedFrame() : on(enabled()) {
    if (on) start = std::chrono::steady_clock::now();
  }
  ~ScopedFrame() {
    if (on) addFrameTime(std::chrono::steady_clock::now() - start);
  }
  ScopedFrame(const ScopedFrame&) = delete;
  ScopedFrame& operator=(const ScopedFrame&) = delete;

 private:
  bool on;
  std::chrono::steady_clock::time_point start;
};

}  // namespace stereolint::timing
