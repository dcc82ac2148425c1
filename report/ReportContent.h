// Everything a quality control report is made of: the run that measured the
// take, its limits and timecode, and every frame's record. Shots and verdicts
// are always derived from these (see qc/QcSession.h shotsOf), so a report
// merged from several runs is the report of one run over all their frames.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corrections/ShotCorrection.h"
#include "qc/EyeSync.h"
#include "qc/FrameRecord.h"
#include "qc/QcLimits.h"
#include "qc/QcSession.h"
#include "qc/Timecode.h"

namespace stereolint::report {

// Closed intervals of places of a take, first and last (from 1).
using PlaceRanges = std::vector<std::pair<int, int>>;

// The picture just before a part of a take: a frame (its own number, as
// frames count them) and its signature, by which a merge tells that the part
// continues the part holding that frame.
struct TakeJoin {
  int frame = 0;
  qc::FrameSignature signature;  // known (see qc::FrameSignature::known)

  bool operator==(const TakeJoin& other) const {
    return frame == other.frame && signature == other.signature;
  }
};

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
  // The inputs as the command line gave them (relative paths are those of
  // the folder the run started in); empty in reports that do not say.
  std::vector<std::string> paths;
  // Which places of the take (from 1, as -s counts them) the frames of the
  // report were read from: the selection, up to where the take ended;
  // sorted, apart and not touching (see rangesUnion). The frames analysed
  // are those of the ranges that the sampling of the settings takes and
  // that could be read. Empty in reports that do not say.
  std::optional<PlaceRanges> read;
  // Whether the ranges reach the end of the take: the reading met its end,
  // or went as far as frameCount.
  bool readToEnd = false;
  // A run whose selection starts after the take's first place: the last
  // frame before the selection that the sampling takes (under --per-shot,
  // the frame just before it), read only to be signed. Empty for runs from
  // the first place, merged reports, frames that could not be read, and
  // reports that do not say (then no merge checks the join).
  std::optional<TakeJoin> joinBefore;

  bool operator==(const TakeInfo& other) const;
};

// The take of a run: named after the first input, the inputs by their base
// names (the part after the last folder separator), and their paths as
// given. No ranges read.
TakeInfo takeOf(const std::vector<std::string>& inputPaths, int frameCount, int firstFrame,
                std::optional<double> frameRate, std::optional<std::string> startTimecode);

// `ranges` (closed intervals of places, first <= last) as the fewest
// intervals that hold the same places, in order: overlapping and touching
// intervals become one.
PlaceRanges rangesUnion(PlaceRanges ranges);

// The frame whose parallax histogram stands for `shot` in the report: its
// worst frame, when that frame has one (see qc::FrameRecord::depth);
// nothing otherwise. `frames` in frame-number order.
const qc::FrameRecord* shotDepthFrame(const std::vector<qc::FrameRecord>& frames,
                                      const qc::Shot& shot);

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
  // --corrections: the eyes the shots' corrections warp; each shot of the
  // report then gives its correction (corrections/ShotCorrection.h). Empty:
  // the report says nothing of them.
  std::optional<corrections::CorrectedEyes> corrections;

  // The timecode of the take (none without a frame rate).
  qc::Timecode timecode() const;
};

}  // namespace stereolint::report
