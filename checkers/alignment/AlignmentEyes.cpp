#include "checkers/alignment/AlignmentEyes.h"

#include <chrono>
#include <memory>

namespace stereolint {

EyesMeasurement measureEyes(const DepthMeasurement& depth) {
  const auto start = std::chrono::steady_clock::now();
  EyesMeasurement eyes;
  eyes.status = depth.status;
  eyes.reason = depth.reason;
  if (depth.status == FrameStatus::Ok) {
    eyes.figures = eyeMatch(depth.leftColour, depth.rightColour, depth.map);
    if (!eyes.figures || eyes.figures->matchedPercent < kMinimumMatchedPercent) {
      eyes.status = FrameStatus::Inconclusive;
      eyes.reason = Inconclusive::LowCoverage;
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
  if (const auto& figures = eyes.figures) {
    add(f::kLuminance, figures->luminanceStops);
    add(f::kColour, figures->colourMedian);
    add(f::kColour95, figures->colour95);
    add(f::kCastA, figures->castA);
    add(f::kCastB, figures->castB);
    add(f::kMatched, figures->matchedPercent);
  }
  list.push_back(
      std::make_unique<Result::KeyValue>(kStatusField, statusText(eyes.status, eyes.reason)));
  add(kTimeField, eyes.milliseconds);
  return list;
}

}  // namespace stereolint
