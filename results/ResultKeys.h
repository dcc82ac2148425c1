// The vocabulary of result names and keys. They are used verbatim as console
// labels, CSV column headers and parts of output file names, so they are
// spelled in one place only.
#pragma once

#include <array>

namespace stereolint::keys {

// Result names, one per single measurement.
inline constexpr const char* kVertical = "VERTICAL";
inline constexpr const char* kRotation = "ROTATION";
inline constexpr const char* kScale = "SCALE";

// Named numbers of a single measurement, in the order a result holds them.
// Every key but TIME is present only when the measurement had points.
inline constexpr const char* kAllPoints = "ALL POINTS";
inline constexpr const char* kCalculationPoints = "CALCULATION POINTS";
inline constexpr const char* kAverage = "AVERAGE";
inline constexpr const char* kStandardDeviation = "AVERAGE STANDARD DEVIATION";
inline constexpr const char* kAverageAbs = "AVERAGE ABS";
inline constexpr const char* kMedian = "MEDIAN";
inline constexpr const char* kMedianAbsoluteDeviation = "MEDIAN ABSOLUTE DEVIATION";
inline constexpr const char* kMaximumAbsolute = "CENTYL 70";
inline constexpr const char* kTime = "TIME";

inline constexpr std::array<const char*, 9> kValueKeys = {
    kAllPoints,   kCalculationPoints,       kAverage,          kStandardDeviation, kAverageAbs,
    kMedian,      kMedianAbsoluteDeviation, kMaximumAbsolute,  kTime};

// Named pictures of a single measurement, in the order a result holds them.
// CIRCLES is present only when the DISTRIBUTION parameter is "TRUE".
inline constexpr const char* kAnaglyphBefore = "ANAGLYPH_BEFORE";
inline constexpr const char* kCircles = "CIRCLES";
inline constexpr const char* kCorrectLeft = "CORRECT_LEFT";
inline constexpr const char* kCorrectRight = "CORRECT_RIGHT";
inline constexpr const char* kAnaglyphAfter = "ANAGLYPH_AFTER";
inline constexpr const char* kMatches = "MATCHES";

}  // namespace stereolint::keys
