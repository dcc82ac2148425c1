#include "results/ColourDecision.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace stereolint {

bool ColourDecision::operator==(const ColourDecision& other) const {
  return slope == other.slope && offset == other.offset && power == other.power &&
         saturation == other.saturation;
}

std::array<double, 3> applyColourDecision(const ColourDecision& decision,
                                          const std::array<double, 3>& rgb) {
  std::array<double, 3> out{};
  for (size_t c = 0; c < 3; ++c) {
    const double graded = std::clamp(rgb[c] * decision.slope[c] + decision.offset[c], 0.0, 1.0);
    out[c] = std::pow(graded, decision.power[c]);
  }
  const double luma = 0.2126 * out[0] + 0.7152 * out[1] + 0.0722 * out[2];
  for (double& value : out)
    value = std::clamp(luma + decision.saturation * (value - luma), 0.0, 1.0);
  return out;
}

namespace {

// Four decimals; a value that rounds to zero has no sign.
std::string fourDecimals(double value) {
  char number[32];
  std::snprintf(number, sizeof number, "%.4f", std::fabs(value) < 5e-5 ? 0.0 : value);
  return number;
}

}  // namespace

std::string colourDecisionText(const ColourDecision& decision) {
  std::string text;
  const auto add = [&](double value) {
    if (!text.empty()) text += ' ';
    text += fourDecimals(value);
  };
  for (double value : decision.slope) add(value);
  for (double value : decision.offset) add(value);
  for (double value : decision.power) add(value);
  add(decision.saturation);
  return text;
}

std::string colourDecisionSopText(const ColourDecision& decision) {
  const auto triple = [&](const std::array<double, 3>& values) {
    return "(" + fourDecimals(values[0]) + " " + fourDecimals(values[1]) + " " +
           fourDecimals(values[2]) + ")";
  };
  return "Slope " + triple(decision.slope) + " Offset " + triple(decision.offset) + " Power " +
         triple(decision.power) + " Sat " + fourDecimals(decision.saturation);
}

bool parseColourDecision(const std::string& text, ColourDecision& decision) {
  std::istringstream in(text);
  ColourDecision read;
  for (double& value : read.slope) in >> value;
  for (double& value : read.offset) in >> value;
  for (double& value : read.power) in >> value;
  in >> read.saturation;
  if (in.fail()) return false;
  in >> std::ws;
  if (!in.eof()) return false;
  decision = read;
  return true;
}

}  // namespace stereolint
