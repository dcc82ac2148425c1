// Everything a quality control report is made of: the run that measured the
// take, its limits and timecode, and every frame's record. Shots and verdicts
// are always derived from these (see qc/QcSession.h shotsOf), so a report
// merged from several runs is the report of one run over all their frames.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "qc/EyeSync.h"
#include "qc/FrameRecord.h"
#include "qc/QcLimits.h"
#include "qc/QcSession.h"
#include "qc/Timecode.h"

namespace stereolint::report {

struct TakeInfo {
  std::string name;                 // the take's name (the first input's base name)
  std::vector<std::string> inputs;  // the inputs' base names, first then second
  int frameCount = 0;               // frames of the input (the SIZE of output file names)
  // The number of the take's first frame: 1, or the first file's number of
  // an image sequence (0 included). Its timecode is the start timecode.
  int firstFrame = 1;
  std::optional<double> frameRate;  // frames per second; empty for stills without one
  // The start timecode "HH:MM:SS:FF" of the first frame; empty without a
  // frame rate.
  std::optional<std::string> startTimecode;

  bool operator==(const TakeInfo& other) const;
};

// The take of a run: named after the first input, the inputs by their base
// names (the part after the last folder separator), so that runs on
// machines that mount the footage in different folders still merge.
TakeInfo takeOf(const std::vector<std::string>& inputPaths, int frameCount, int firstFrame,
                std::optional<double> frameRate, std::optional<std::string> startTimecode);

struct ReportContent {
  TakeInfo take;
  // The settings that change what is measured (method, parameters,
  // orientation…), as name and text, in the order given. Settings that only
  // change how a run goes (threads, frame range, output folder) stay out,
  // so that runs over parts of a take merge.
  std::vector<std::pair<std::string, std::string>> settings;
  qc::QcLimits limits;
  // Every analysed frame, in frame-number order, each number once.
  std::vector<qc::FrameRecord> frames;
  // Whether the two eyes are in step (NotApplicable for one input).
  qc::EyeSync eyeSync;
  // The request that stopped the run before the end of its frames
  // ("SIGINT", "SIGTERM"); empty for a run that went to its end. A stopped
  // run's report gives no take verdict.
  std::string stoppedBy;
  // The shots a reading pass over every selected frame found (--per-shot);
  // empty: the shots are found from the signatures of the frames analysed.
  std::optional<qc::ShotScan> shotScan;

  // The timecode of the take (none without a frame rate).
  qc::Timecode timecode() const;
};

}  // namespace stereolint::report
