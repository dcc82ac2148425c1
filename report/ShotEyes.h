// How the two eyes of a shot match, as the report gives it beside the
// alignment: the medians of the eye match's measures over the shot's
// judged frames (qc::Shot::measures), the one-eye light of its worst frame
// and the median of its frames' colour decisions (qc::FrameRecord::colour).
#pragma once

#include <optional>
#include <vector>

#include "qc/FrameRecord.h"
#include "qc/Shot.h"
#include "results/ColourDecision.h"

namespace stereolint::report {

// A difference of detail up to this, in % (|1 - SHARPNESS| × 100), reads
// as equally sharp.
inline constexpr double kEquallySharpPercent = 3.0;

enum class Eye { Left, Right };

struct ShotEyes {
  // The medians: LUMINANCE (stops, positive when the right eye is
  // brighter), COLOUR (ΔE2000), SHARPNESS (the right eye's detail over the
  // left's); empty when no judged frame has the measure.
  std::optional<double> luminance;
  std::optional<double> colour;
  std::optional<double> sharpness;
  std::optional<int> worstFrame;        // the shot's worst frame (qc::Shot::worstFrame)
  std::optional<double> highlightArea;  // HIGHLIGHT AREA of that frame, % of the view
  // The median decision of the shot's frames that have one, and how many do.
  std::optional<ColourDecision> decision;
  int decisionFrames = 0;

  // The brighter eye; nothing when the median rounds to 0.00 stops or is unknown.
  std::optional<Eye> brighter() const;
  // The softer eye; nothing when the eyes are equally sharp (within
  // kEquallySharpPercent) or the sharpness is unknown.
  std::optional<Eye> softer() const;
  // The detail the softer eye has lost, |1 - SHARPNESS| × 100 as quality
  // control judges it; nothing without a sharpness.
  std::optional<double> detailLostPercent() const;
};

// True when the eye match gave the frame any of its measures or a decision.
bool hasEyes(const qc::FrameRecord& record);

// The eyes of `shot`, from `frames` (in frame-number order); nothing when
// the shot has neither a median of the eye match's measures, nor a HIGHLIGHT
// AREA in its worst frame, nor a frame with a decision.
std::optional<ShotEyes> shotEyes(const std::vector<qc::FrameRecord>& frames, const qc::Shot& shot);

}  // namespace stereolint::report
