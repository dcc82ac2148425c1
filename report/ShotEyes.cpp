#include "report/ShotEyes.h"

#include <algorithm>
#include <cmath>

#include "corrections/ShotGrade.h"

namespace stereolint::report {

namespace {

constexpr Measure kEyeMeasures[] = {Measure::Luminance, Measure::Colour, Measure::Sharpness,
                                    Measure::HighlightArea};

std::optional<double> medianOf(const qc::Shot& shot, Measure measure) {
  for (const qc::MeasureSummary& summary : shot.measures)
    if (summary.measure == measure) return summary.median;
  return std::nullopt;
}

const qc::FrameRecord* recordOf(const std::vector<qc::FrameRecord>& frames, int frame) {
  const auto found = std::lower_bound(
      frames.begin(), frames.end(), frame,
      [](const qc::FrameRecord& record, int number) { return record.frame < number; });
  return found != frames.end() && found->frame == frame ? &*found : nullptr;
}

}  // namespace

std::optional<Eye> ShotEyes::brighter() const {
  // Half the last decimal shown: a difference the page shows as 0.00 has no side.
  if (!luminance || std::fabs(*luminance) < 0.005) return std::nullopt;
  return *luminance > 0 ? Eye::Right : Eye::Left;
}

std::optional<double> ShotEyes::detailLostPercent() const {
  if (!sharpness) return std::nullopt;
  return std::fabs(1.0 - *sharpness) * 100.0;
}

std::optional<Eye> ShotEyes::softer() const {
  const std::optional<double> lost = detailLostPercent();
  if (!lost || *lost <= kEquallySharpPercent) return std::nullopt;
  return *sharpness < 1 ? Eye::Right : Eye::Left;
}

bool hasEyes(const qc::FrameRecord& record) {
  if (record.colour) return true;
  return std::any_of(std::begin(kEyeMeasures), std::end(kEyeMeasures), [&](Measure measure) {
    return record.values[measureIndex(measure)].has_value();
  });
}

std::optional<ShotEyes> shotEyes(const std::vector<qc::FrameRecord>& frames, const qc::Shot& shot) {
  const auto first = std::lower_bound(
      frames.begin(), frames.end(), shot.firstFrame,
      [](const qc::FrameRecord& record, int number) { return record.frame < number; });
  ShotEyes eyes;
  for (auto it = first; it != frames.end() && it->frame <= shot.lastFrame; ++it)
    if (it->colour) ++eyes.decisionFrames;
  eyes.luminance = medianOf(shot, Measure::Luminance);
  eyes.colour = medianOf(shot, Measure::Colour);
  eyes.sharpness = medianOf(shot, Measure::Sharpness);
  eyes.worstFrame = shot.worstFrame;
  if (shot.worstFrame)
    if (const qc::FrameRecord* worst = recordOf(frames, *shot.worstFrame))
      eyes.highlightArea = worst->values[measureIndex(Measure::HighlightArea)];
  if (eyes.decisionFrames > 0) eyes.decision = corrections::medianDecision(shot, frames);
  // A shot none of whose frames could be judged has no medians: without a
  // decision either, there is nothing to say of its eyes.
  if (!eyes.luminance && !eyes.colour && !eyes.sharpness && !eyes.highlightArea && !eyes.decision)
    return std::nullopt;
  return eyes;
}

}  // namespace stereolint::report
