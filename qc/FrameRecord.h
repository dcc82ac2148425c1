// What quality control keeps of one analysed frame: its measures, how many
// points they rest on, the method's status and the frame's signature.
#pragma once

#include <optional>
#include <string>

#include <opencv2/core.hpp>

#include "qc/BoxedOptional.h"
#include "qc/FrameSignature.h"
#include "results/FrameOutcome.h"

namespace stereolint::qc {

struct FrameRecord {
  int frame = 0;         // the frame number, counted from 1 as in the output file names
  cv::Size viewSize;     // the size of one view, in pixels
  MeasureValues values;  // see Measure.h for the units
  // The fewest matched points any measure rests on; empty when the method
  // does not say.
  std::optional<int> points;
  // The method's status; empty for a frame that failed or a record read
  // from a report that had none.
  std::optional<FrameStatus> status;
  // Why the frame cannot be judged whatever its values: the method said so,
  // a measure found no points, the frame failed. Empty otherwise.
  std::string inconclusiveReason;
  FrameSignature signature;
  // The frame's parallax histogram and window violations, from a method
  // with a dense parallax map; empty otherwise. Kept on the heap, as is the
  // colour decision: a run keeps a record for every frame of a take.
  BoxedOptional<DepthDetail> depth;
  // The colour decision that maps the right eye onto the left; empty
  // without an eye match.
  BoxedOptional<ColourDecision> colour;

  bool operator==(const FrameRecord& other) const;
};

// Frames whose measures rest on fewer points than this are INCONCLUSIVE.
inline constexpr int kMinimumPoints = 8;

// The record of a frame from its method's outcome: its measures (those
// that are finite), points and status; an inconclusive outcome gives its
// reason in words (outcome.reasonText()).
FrameRecord recordFromOutcome(int frame, const FrameOutcome& outcome, cv::Size viewSize,
                              FrameSignature signature);

// The record of a frame that could not be analysed (an unreadable picture,
// a measurement that failed): INCONCLUSIVE with `reason`.
FrameRecord failedFrameRecord(int frame, std::string reason, FrameSignature signature = {});

}  // namespace stereolint::qc
