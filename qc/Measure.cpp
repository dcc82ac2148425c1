#include "qc/Measure.h"

#include <cstdio>

namespace stereolint::qc {

namespace {

struct MeasureInfo {
  const char* name;
  const char* unit;
};

constexpr std::array<MeasureInfo, kMeasureCount> kInfo = {{
    {"VERTICAL", "rows"},
    {"ROTATION", "°"},
    {"SCALE", "ratio"},
    {"KEYSTONE", "rows"},
    {"NEAR PARALLAX", "% of width"},
    {"FAR PARALLAX", "% of width"},
}};

}  // namespace

const char* measureName(Measure measure) { return kInfo[measureIndex(measure)].name; }

const char* measureUnit(Measure measure) { return kInfo[measureIndex(measure)].unit; }

std::optional<Measure> measureFromName(std::string_view name) {
  for (Measure measure : kAllMeasures)
    if (name == measureName(measure)) return measure;
  return std::nullopt;
}

}  // namespace stereolint::qc

namespace stereolint::qc {

std::string formatMeasureValue(Measure measure, double value) {
  char text[64];
  switch (measure) {
    case Measure::Rotation: std::snprintf(text, sizeof text, "%.3f°", value); break;
    case Measure::Scale: std::snprintf(text, sizeof text, "%+.2f %%", (value - 1.0) * 100.0); break;
    case Measure::NearParallax:
    case Measure::FarParallax: std::snprintf(text, sizeof text, "%.2f %% of width", value); break;
    default: std::snprintf(text, sizeof text, "%.2f rows", value); break;
  }
  return text;
}

}  // namespace stereolint::qc
