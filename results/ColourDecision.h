// A colour decision in the form colourists exchange it (the ASC CDL): per
// channel a slope, an offset and a power, then one saturation. It maps code
// values as delivered (0 to 1 of the encoded signal, not linear light):
//   out = clamp(in × slope + offset, 0, 1) ^ power
// then saturation about the Rec. 709 luma of the result (1 leaves the
// colour as it is), and the result clamped to 0 to 1.
#pragma once

#include <array>
#include <string>

namespace stereolint {

struct ColourDecision {
  std::array<double, 3> slope{1, 1, 1};   // red, green, blue
  std::array<double, 3> offset{0, 0, 0};
  std::array<double, 3> power{1, 1, 1};
  double saturation = 1;

  bool operator==(const ColourDecision& other) const;
};

// The decision applied to one colour, red, green, blue each 0 to 1.
std::array<double, 3> applyColourDecision(const ColourDecision& decision,
                                          const std::array<double, 3>& rgb);

// The ten numbers as the EYES block writes them: red, green, blue slope,
// red, green, blue offset, red, green, blue power, saturation, each with
// four decimals, separated by single spaces.
std::string colourDecisionText(const ColourDecision& decision);
// The decision as one line of ASC SOP and SAT values, four decimals each
// (a value that rounds to zero without a sign): "Slope (1.0200 0.9900
// 1.0000) Offset (0.0100 0.0000 -0.0050) Power (1.0000 1.0000 1.0000) Sat
// 1.0000" on one line.
std::string colourDecisionSopText(const ColourDecision& decision);
// The decision from those ten numbers; false when the text holds anything else.
bool parseColourDecision(const std::string& text, ColourDecision& decision);

}  // namespace stereolint
