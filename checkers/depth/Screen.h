// The screen a take is made for, from the text of --screen.
//
// A size in metres or millimetres is the screen's width, as cinema screens
// are given ("12m", "1200mm"); a size in inches is the diagonal of a 16:9
// screen, as televisions are sold ("55in" is 1218 mm wide). Named screens:
// kScreenPresets.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "util/Expected.h"

namespace stereolint {

struct ScreenPreset {
  const char* name;
  const char* size;  // as --screen would read it
  const char* what;  // for people
};

inline constexpr std::array<ScreenPreset, 3> kScreenPresets = {{
    {"tv", "55in", "a 55-inch television"},
    {"cinema", "12m", "a cinema screen 12 m wide"},
    {"imax", "20m", "a giant screen 20 m wide"},
}};

// The width in millimetres `text` gives (case-insensitive units and names),
// or the line that refuses it: `--screen: "big" is no screen size; write
// e.g. 12m, 55in, 1200mm or tv, cinema, imax`.
Expected<double> screenWidthMm(const std::string& text);

// The viewer's interocular distance in millimetres from the text of
// --interocular (a number from 40 to 90), or the line that refuses it.
Expected<double> interocularMm(const std::string& text);

// What a run knows of how the take will be seen.
struct Viewing {
  std::optional<double> screenWidthMm;  // --screen, millimetres of width
  double interocularMm = 65.0;          // --interocular
};

// The default interocular distance, millimetres (an adult's average).
inline constexpr double kDefaultInterocularMm = 65.0;

}  // namespace stereolint
