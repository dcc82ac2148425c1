#include "checkers/depth/Screen.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "util/Words.h"

namespace stereolint {

namespace {

constexpr double kMillimetresPerInch = 25.4;
// Width over diagonal of a 16:9 screen: 16 / sqrt(16^2 + 9^2).
const double kWidthPerDiagonal = 16.0 / std::sqrt(16.0 * 16.0 + 9.0 * 9.0);
// Screens from a phone to the largest cinema: 50 mm to 40 m wide.
constexpr double kSmallestMm = 50.0;
constexpr double kLargestMm = 40000.0;

std::string examples() {
  std::string names;
  for (const ScreenPreset& preset : kScreenPresets)
    names += std::string(names.empty() ? "" : ", ") + preset.name;
  return "write e.g. 12m, 55in, 1200mm or " + names;
}

// A number followed by its unit ("12m"), as millimetres of width.
std::optional<double> sizeOf(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(start, &end);
  if (end == start || errno != 0 || !std::isfinite(number) || number <= 0) return std::nullopt;
  const std::string unit(end);
  if (equalIgnoringCase(unit, "m")) return number * 1000.0;
  if (equalIgnoringCase(unit, "mm")) return number;
  if (equalIgnoringCase(unit, "in")) return number * kMillimetresPerInch * kWidthPerDiagonal;
  return std::nullopt;
}

}  // namespace

Expected<double> screenWidthMm(const std::string& text) {
  std::string size = text;
  for (const ScreenPreset& preset : kScreenPresets)
    if (equalIgnoringCase(text, preset.name)) size = preset.size;
  const std::optional<double> width = sizeOf(size);
  if (!width) return Failure{"--screen: \"" + text + "\" is no screen size; " + examples()};
  if (*width < kSmallestMm || *width > kLargestMm)
    return Failure{"--screen: \"" + text + "\" is no screen size between 50 mm and 40 m wide; " +
                   examples()};
  return *width;
}

Expected<double> interocularMm(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !(value >= 40 && value <= 90))
    return Failure{"--interocular: \"" + text +
                   "\" is no distance between the eyes; write millimetres from 40 to 90, e.g. 65"};
  return value;
}

}  // namespace stereolint
