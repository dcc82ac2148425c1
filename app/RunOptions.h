// The settings of a run, read once from the checked command line.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Methods.h"
#include "corrections/ShotCorrection.h"
#include "qc/QcOptions.h"
#include "sources/FrameSelection.h"
#include "sources/ViewRegions.h"
#include "util/Expected.h"

namespace stereolint {

enum class RunMode { Gui, Console };

struct RunOptions {
  RunMode mode = RunMode::Gui;
  // --quiet: the frames' blocks are not printed (the GUI still shows the
  // summaries).
  bool quiet = false;
  // --count-frames: print the number of frames a run would read, analyse
  // nothing (app/FrameCount.h).
  bool countFrames = false;
  // First and second input path; the same path twice for one stereo file.
  std::array<std::string, 2> inputs;
  // How one picture holds both views (Whole: each input is one view).
  Orientation orientation = Orientation::Whole;
  // How many times each view is stretched back to display geometry: in
  // width side by side, in height over-under (sources/ViewSqueeze.h); 1
  // without --squeeze.
  int squeeze = 1;
  std::string methodName;  // the disparity method as given
  // Its entry in the table of methods; null for a name the table does not
  // hold, which the run reports when it starts.
  const Method* method = nullptr;
  int threads = 1;         // worker threads, at least 1
  std::string resultPath;  // the output prefix, used as it is
  std::string parameters;  // the checker parameters text
  std::string sequence;    // the frame selection as given, for messages
  FrameSelection selection;
  // A word after the first input that names no readable file (see
  // Settings::unreadableSecond); the first input is then analysed alone.
  std::string unreadableSecond;
  // Quality control; `quality.enabled` is false without --qc.
  qc::QcOptions quality;
  // Sampling of a take's selected frames: every N-th (1: all of them), or
  // K frames spread over each shot (0: not asked). At most one is not at
  // its default.
  int every = 1;
  int perShot = 0;
  // --corrections (with --qc): the eyes each shot's correction warps
  // (--correct); empty without --corrections.
  std::optional<corrections::CorrectedEyes> corrections;
  // The screen and viewers the take is made for (--screen, --interocular).
  Viewing viewing;
  // What the run warns about how its command line was read: values read
  // like atoi whose digits other characters followed (`-t: "2x" is read as
  // 2`), words that name no option (`-x: unknown option, not read`).
  std::vector<std::string> readingNotes;
};

// The run options of settings that checkSettings accepted, or the argument
// error line of quality control, squeeze or sampling options that cannot be
// used (e.g. "--limits: Unknown limit ...", "--squeeze: \"3\" is no squeeze
// factor; valid: 1, 2", "--every: \"0\" is not a whole number of at least 1").
Expected<RunOptions> runOptions(const Settings& settings);

}  // namespace stereolint
