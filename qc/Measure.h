// The measures quality control judges, with their names and units.
//
// A frame's value of a measure is kept in the unit the methods report it in:
//   VERTICAL       rows (left row minus right row; either sign)
//   ROTATION       degrees (either sign)
//   SCALE          ratio of the views' magnifications (1 = equal)
//   KEYSTONE       rows of vertical offset difference at the corners
//   NEAR PARALLAX  % of the view width; negative lies in front of the screen
//   FAR PARALLAX   % of the view width; positive lies behind the screen
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace stereolint::qc {

enum class Measure { Vertical, Rotation, Scale, Keystone, NearParallax, FarParallax };

inline constexpr int kMeasureCount = 6;
inline constexpr std::array<Measure, kMeasureCount> kAllMeasures = {
    Measure::Vertical, Measure::Rotation,     Measure::Scale,
    Measure::Keystone, Measure::NearParallax, Measure::FarParallax};

inline size_t measureIndex(Measure measure) { return static_cast<size_t>(measure); }

// "VERTICAL", "ROTATION", "SCALE", "KEYSTONE", "NEAR PARALLAX", "FAR PARALLAX".
const char* measureName(Measure measure);
std::optional<Measure> measureFromName(std::string_view name);
// The unit of a frame's value, for people: "rows", "°", "ratio", "% of width".
const char* measureUnit(Measure measure);

// One value per measure; a measure the method does not report is empty.
using MeasureValues = std::array<std::optional<double>, kMeasureCount>;

}  // namespace stereolint::qc

namespace stereolint::qc {

// A value as people read it, with its unit: "2.10 rows", "0.125°",
// "+0.42 %" (SCALE as % difference from 1), "-1.20 % of width".
std::string formatMeasureValue(Measure measure, double value);

}  // namespace stereolint::qc
