// The quality control options of a run, read once into one typed struct.
//
//   --qc                          quality control on, default limits
//   --limits TEXT                 see QcLimits.h
//   --pictures all|flagged|none   see PictureFilter.h
//   --fps N                       frame rate of stills and sequences
//   --start-timecode HH:MM:SS:FF  timecode of frame 1
//   --fail-on fix|reject          exit code 3 at or beyond that shot verdict
//   --min-judged PERCENT          with --fail-on: exit code 4 when fewer frames
//                                 were judged
#pragma once

#include <optional>
#include <string>

#include "util/Expected.h"
#include "qc/PictureFilter.h"
#include "qc/QcLimits.h"
#include "qc/Verdict.h"

namespace stereolint::qc {

// The option values as given; an empty optional is an option not given.
struct QcOptionTexts {
  bool qc = false;
  std::optional<std::string> limits;
  std::optional<std::string> pictures;
  std::optional<std::string> fps;
  std::optional<std::string> startTimecode;
  std::optional<std::string> failOn;
  std::optional<std::string> minJudged;
  // --correct, read with --corrections by the run options.
  std::optional<std::string> correct;
};

struct QcOptions {
  bool enabled = false;  // false: every other field is at its default and unused
  QcLimits limits = defaultLimits();
  PictureMode pictures = PictureMode::All;
  std::optional<double> framesPerSecond;  // --fps; a video's own rate is used without it
  // --start-timecode as given ("" when not): its form is checked here, its
  // frame count against the rate by makeTimecode once the rate is known.
  std::string startTimecode;
  std::optional<Verdict> failOn;  // FIX or REJECT
  // With failOn: the share of the frames, in percent, that must have a
  // conclusive verdict for the take to be judged at all.
  double minJudgedPercent = 50;
};

// The options, or the first thing wrong with them, named by its option:
// "--limits: Unknown limit …". Any of the other options without --qc is
// refused ("--limits works with --qc only"), as they would silently do
// nothing; so is --min-judged without --fail-on.
Expected<QcOptions> readQcOptions(const QcOptionTexts& texts);

// One line per limit key for a usage text: "  VERTICAL  pass/fix … (default
// 0.3%/1%)", each ending with a newline.
std::string limitKeysUsage();

}  // namespace stereolint::qc
