// One line on standard error that shows how a long run is getting on:
//
//   frame 57 / 100 read, 50 analysed, 12.3 frames/s, about 4 s left
//
// It is drawn only when standard error is a terminal, so redirected output
// stays exactly the documented console text. Whoever prints to the console
// clears it first; it is drawn again at the next update.
#pragma once

#include <cstdint>

namespace stereolint {

// Frames of a run so far.
struct ProgressCounts {
  int total;     // frames the input reports
  int selected;  // of those, frames to analyse
  int read;
  int analysed;
  int last;  // the frame where reading ends (the last selected one), from 1
};

// The seconds a run has left after `seconds`: the selected frames left at
// the rate frames were analysed so far, or, once they are through, the
// frames left to read up to the last one read at the reading rate. 0
// before anything is known.
double secondsLeft(const ProgressCounts& counts, double seconds);

class ProgressLine {
 public:
  // Starts a run of `total` frames (the input's reported count), of which
  // `selected` are to be analysed and which reads up to frame `last`.
  void start(int total, int selected, int last);
  void frameRead() { ++read; draw(); }
  void frameAnalysed() { ++analysed; draw(); }
  // Erases the line, if one is shown.
  void clear();
  // Erases the line for good at the end of a run.
  void finish();

 private:
  void draw();

  bool enabled = false;
  bool shown = false;
  int total = 0;
  int selected = 0;
  int last = 0;
  int read = 0;
  int analysed = 0;
  std::int64_t startMs = 0;
  std::int64_t lastDrawMs = 0;
};

}  // namespace stereolint
