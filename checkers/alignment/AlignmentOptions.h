// The parameters of the alignment method (`-d Alignment`), read once from
// the `-p` string into a typed struct.
//
// The string is a list of KEY:VALUE entries separated by commas; the first
// entry of a key wins. Every key must be one of kAlignmentKeys: the table
// feeds the parsing, the message that refuses a wrong key or value, and the
// README's list.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "util/Expected.h"

namespace stereolint {

struct AlignmentOptions {
  // Candidate matches lie within this many rows of each other, as a
  // percentage of the view height. Larger bands accept larger vertical
  // misalignments and rotations but give repetitive texture more chances.
  double bandPercent = 3.0;
  // Candidate matches lie within this horizontal parallax (xR - xL, either
  // sign), as a percentage of the view width.
  double parallaxPercent = 30.0;
  // Features detected per view (at half resolution).
  int features = 1000;
  // Whether the result carries pictures (anaglyphs, corrected right view,
  // the points coloured by residual).
  bool pictures = false;
  // Whether the DEPTH and EYES blocks carry their pictures even without
  // `pictures`: set on the checker that measures a shot's worst frame again
  // for its review pictures (see StereolintInterface::reviewChecker), not
  // from the parameters string.
  bool blockPictures = false;
  // Whether each frame also gets its dense parallax map and the DEPTH
  // block read from it (see AlignmentDepth.h).
  bool depth = true;
  // Whether each frame with a DEPTH block also gets the EYES block: the eyes
  // compared in brightness and colour where the map matched them.
  bool eyes = true;
  // The width of the screen the take is made for, millimetres: the DEPTH
  // block then gives the divergence there. Set from the run's --screen, not
  // from the parameters string.
  std::optional<double> screenWidthMm;
};

// One parameter key: its name, its default as written in a parameters
// string, and what it means (one line, used in messages and the README).
struct AlignmentKey {
  const char* name;
  const char* defaultValue;
  const char* meaning;
};

inline constexpr std::array<AlignmentKey, 6> kAlignmentKeys = {{
    {"BAND", "3", "vertical search band, % of the view height (a number above 0, at most 50)"},
    {"PARALLAX", "30", "horizontal parallax range, % of the view width (above 0, at most 100)"},
    {"FEATURES", "1000", "features detected per view (a whole number from 100 to 20000)"},
    {"PICTURES", "FALSE", "TRUE adds the pictures to each frame's result (TRUE or FALSE)"},
    {"DEPTH", "TRUE",
     "FALSE leaves out the dense parallax map and the DEPTH and EYES blocks (TRUE or FALSE)"},
    {"EYES", "TRUE", "FALSE leaves out the EYES block (TRUE or FALSE)"},
}};

// The options a parameters string asks for, or one line saying what is
// wrong with it: an unknown key (repeated back with the valid ones) or a
// value that cannot be read or lies outside its range (with the key, the
// value and what is accepted). The empty string gives the defaults.
Expected<AlignmentOptions> parseAlignmentOptions(const std::string& parameters);

// The valid keys, separated by ", " (for messages).
std::string alignmentKeyNames();

}  // namespace stereolint
