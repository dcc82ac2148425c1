// The mirror flags an R3D clip's RMD sidecar file may set.
//
// The sidecar of a clip is its path with the (up to) three characters after
// the last "." replaced by "RMD": "A001_C002.R3D" has "A001_C002.RMD". The
// sidecar is not parsed as XML; a flag is set when one line of it contains
// the exact marker text, case-sensitively. A marker split over lines, with
// other spacing or attribute order, or with the value false does not count.
// A path without "." or a sidecar that cannot be read means no flag.
#pragma once

#include <istream>
#include <string>

namespace stereolint {

// Marker: <fliphorizontal type="bool" value="true"/>
bool isFlippedHorizontally(const std::string& clipPath);

// Marker: <flipvertical type="bool" value="true"/>
bool isFlippedVertically(const std::string& clipPath);

// The flags that the text of a sidecar sets, read line by line (lines end at
// "\n"; a "\r" before it stays part of the line) up to the end of `text` or
// until both flags are found. This is the reading the two tests above make
// of the sidecar file.
struct SidecarFlags {
  bool horizontal = false;
  bool vertical = false;
};
SidecarFlags readSidecarFlags(std::istream& text);

}  // namespace stereolint
