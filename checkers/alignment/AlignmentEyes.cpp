#include "checkers/alignment/AlignmentEyes.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "checkers/alignment/AlignmentSharpness.h"
#include "results/ViewPixels.h"
#include "checkers/eyes/CdlFit.h"
#include "checkers/eyes/EyePictures.h"

namespace stereolint {

EyesMeasurement measureEyes(const cv::Mat& left, const cv::Mat& right,
                            const AlignmentMeasurement& m, const DepthMeasurement& depth) {
  const auto start = std::chrono::steady_clock::now();
  EyesMeasurement eyes;
  eyes.status = depth.status;
  eyes.reason = depth.reason;
  if (depth.status == FrameStatus::Ok) {
    eyes.figures = eyeMatch(depth.leftColour, depth.leftGrey, depth.rightColour, depth.map);
    if (!eyes.figures || eyes.figures->matchedPercent < kMinimumMatchedPercent) {
      eyes.status = FrameStatus::Inconclusive;
      eyes.reason = Inconclusive::LowCoverage;
    } else {
      // One table of the colour decision for both: the highlights and the
      // sharpness patches compare the right eye as graded onto the left.
      const ColourGrade grade(eyes.figures->decision.value_or(ColourDecision{}));
      eyes.highlights = highlights(depth.leftColour, depth.rightColour, grade, depth.map);
      eyes.sharpness = sharpness(sharpnessPatches(left, right, m, depth, grade), left.size(),
                                 m.model.scaleRatio());
    }
  }
  eyes.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return eyes;
}

Result::KeyValues eyesValues(const EyesMeasurement& eyes) {
  namespace f = eyes_fields;
  Result::KeyValues list;
  const auto add = [&list](const char* key, double value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  const auto text = [&list](const char* key, const std::string& value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  if (const auto& figures = eyes.figures) {
    add(f::kLuminance, figures->luminanceStops);
    add(f::kColour, figures->colourMedian);
    add(f::kColour95, figures->colour95);
    add(f::kCastA, figures->castA);
    add(f::kCastB, figures->castB);
    if (figures->decision) text(f::kCdl, colourDecisionText(*figures->decision));
  }
  if (const auto& sharp = eyes.sharpness) {
    add(f::kSharpness, sharp->ratio);
    char blur[32];
    std::snprintf(blur, sizeof blur, "%s %.2f", softerEyeName(sharp->softer), sharp->blurPixels);
    text(f::kBlur, sharp->softer == SofterEye::None ? std::string("NONE") : std::string(blur));
  }
  if (const auto& light = eyes.highlights) {
    add(f::kHighlights, static_cast<double>(light->regions.size()));
    add(f::kHighlightArea, light->areaPercent);
  }
  if (const auto& figures = eyes.figures) add(f::kMatched, figures->matchedPercent);
  text(kStatusField, statusText(eyes.status, eyes.reason));
  add(kTimeField, eyes.milliseconds);
  return list;
}

Result::KeyImages eyesPictures(const EyesMeasurement& eyes, const DepthMeasurement& depth) {
  Result::KeyImages list;
  if (eyes.status != FrameStatus::Ok || !eyes.figures) return list;
  // Only the picture needs the right eye moved onto the left, so numbers-only
  // runs do not pay for it.
  const DenseMatch match = denseMatch(depth.rightColour, depth.map);
  const cv::Mat matchedRight =
      applyColourDecision(eyes.figures->decision.value_or(ColourDecision{}), match.right);
  list.push_back(std::make_unique<Result::KeyImage>(
      "EYE_DIFFERENCE", differencePicture(depth.leftColour, matchedRight, match.compared,
                                          eyes.highlights.value_or(HighlightFigures{}))));
  if (eyes.sharpness)
    list.push_back(std::make_unique<Result::KeyImage>(
        "SHARPNESS", sharpnessPicture(depth.leftColour, *eyes.sharpness)));
  return list;
}

}  // namespace stereolint
