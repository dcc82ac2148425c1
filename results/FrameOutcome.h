// What a method found in one stereo frame, typed: the measures, the points
// they rest on, whether they can be trusted and why not, and the result
// blocks (numbers in the method's own words and named pictures) that the
// console, the frame files and the tables show.
//
// Quality control reads the typed part; the blocks are only ever printed
// and written as they are.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <opencv2/core.hpp>

#include "results/DepthDetail.h"
#include "results/ColourDecision.h"
#include "results/Measures.h"
#include "results/Result.h"

namespace stereolint {

enum class FrameStatus {
  Ok,            // the measures can be trusted
  Identical,     // both views show the same picture (a 2D frame)
  Inconclusive,  // see the reason; the measures that exist are still given
};

// "OK", "IDENTICAL", "INCONCLUSIVE".
const char* frameStatusName(FrameStatus status);
std::optional<FrameStatus> frameStatusFromName(std::string_view name);

// Why a frame's measures cannot be trusted. One vocabulary for the methods'
// blocks ("INCONCLUSIVE BLACK VIEW"), quality control and the README.
enum class Inconclusive {
  EmptyView,
  ViewsDifferInSize,
  ViewTooSmall,
  BlackView,
  FlatView,
  TooFewPoints,
  OffsetBeyondBand,  // too few points in the band, many agreeing beyond it
  MatchesAmbiguous,
  PointsClustered,
  ResidualTooLarge,
  FitUncertain,
  LowCoverage,        // the dense parallax covers too little of the view
  StepFoundNoPoints,  // a step of the method of steps matched nothing
  NoMeasurement,      // the method measured nothing at all
};

struct InconclusiveInfo {
  Inconclusive reason;
  const char* words;    // as a block's STATUS spells it after "INCONCLUSIVE "
  const char* meaning;  // for people, as the README lists it
  // True for the reasons the alignment method gives in its STATUS line.
  bool alignmentStatus;
};

inline constexpr int kInconclusiveCount = 14;

// A view whose grey levels (0 to 255) vary by less than kFlatContrast
// (standard deviation) has nothing to match on: BLACK VIEW when its mean is
// below kBlackMean, else FLAT VIEW.
inline constexpr double kFlatContrast = 4.0;
inline constexpr double kBlackMean = 16.0;
Inconclusive flatViewReason(double meanGrey);

const std::array<InconclusiveInfo, kInconclusiveCount>& inconclusiveTable();
const InconclusiveInfo& inconclusiveInfo(Inconclusive reason);

// "OK", "IDENTICAL" or "INCONCLUSIVE " and the reason's words, as a block's
// STATUS line reads.
std::string statusText(FrameStatus status, std::optional<Inconclusive> reason);

// One inlier match of a method's fit: where it lies in the left view
// (full-resolution pixels) and the vertical misalignment left there before
// any correction, its left row minus its right row (rows; positive when the
// point shows higher in the right view).
struct InlierResidual {
  cv::Point2f left;
  float rows = 0;
};

struct FrameOutcome {
  FrameStatus status = FrameStatus::Inconclusive;
  // Set when status is Inconclusive.
  std::optional<Inconclusive> reason;
  // What the reason is about, when it names a part: the step ("VERTICAL")
  // that found no points. Empty otherwise.
  std::string reasonSubject;
  MeasureValues values;          // see Measures.h for the units
  MeasureValues standardErrors;  // one standard error per measure, where the method gives one
  // The fewest matched points any measure rests on; empty when the method
  // does not say.
  std::optional<int> points;
  // Why the views offered nothing to measure ("the left view is black",
  // "both views are flat (one colour)"), when a method that measured nothing
  // found that cause; empty otherwise.
  std::string featureless;
  // The spread of the dense parallax and the window at the edges, when a
  // method read them from a dense parallax map it trusts; empty otherwise.
  std::optional<DepthDetail> depth;
  // The colour decision that maps the right eye onto the left, from a
  // method that compares the eyes' colours; empty otherwise.
  std::optional<ColourDecision> colour;
  // The inliers of a method that fits one model to its matches (at most a
  // few hundred), for the picture of a report's worst frame; empty for a
  // method that does not give them. Never printed or written with the
  // frame's files.
  std::vector<InlierResidual> inliers;
  // The blocks as the method writes them, in order, with their pictures.
  Results results;

  // The reason for people: its words ("BLACK VIEW"), or "VERTICAL: no
  // matched points" for a step; empty unless inconclusive.
  std::string reasonText() const;
};

}  // namespace stereolint
