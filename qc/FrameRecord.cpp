#include "qc/FrameRecord.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace stereolint::qc {

bool FrameRecord::operator==(const FrameRecord& other) const {
  return frame == other.frame && viewSize == other.viewSize && values == other.values &&
         points == other.points && status == other.status &&
         inconclusiveReason == other.inconclusiveReason && signature == other.signature &&
         depth == other.depth && colour == other.colour;
}

FrameRecord recordFromOutcome(int frame, const FrameOutcome& outcome, cv::Size viewSize,
                              FrameSignature signature) {
  FrameRecord record;
  record.frame = frame;
  record.viewSize = viewSize;
  record.signature = std::move(signature);
  for (Measure measure : kAllMeasures) {
    const std::optional<double>& value = outcome.values[measureIndex(measure)];
    if (value && std::isfinite(*value)) record.values[measureIndex(measure)] = value;
  }
  if (outcome.points) record.points = std::max(*outcome.points, 0);
  record.status = outcome.status;
  record.depth = outcome.depth;
  record.colour = outcome.colour;
  if (outcome.status == FrameStatus::Inconclusive) {
    // A step that matched nothing is the effect of a view with nothing to
    // see: the view is named instead, in the words the alignment method
    // gives for it.
    const bool symptom = !outcome.reason || !inconclusiveInfo(*outcome.reason).alignmentStatus;
    if (symptom && record.signature.flat())
      record.inconclusiveReason = inconclusiveInfo(flatViewReason(record.signature.meanGrey())).words;
    else
      record.inconclusiveReason = outcome.reasonText();
    if (record.inconclusiveReason.empty())
      record.inconclusiveReason = "the method found the frame inconclusive";
  }
  return record;
}

FrameRecord failedFrameRecord(int frame, std::string reason, FrameSignature signature) {
  FrameRecord record;
  record.frame = frame;
  record.inconclusiveReason = std::move(reason);
  record.signature = std::move(signature);
  return record;
}

}  // namespace stereolint::qc
