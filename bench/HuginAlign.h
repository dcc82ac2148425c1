// Hugin's align_image_stack (Debian's hugin-tools) as the reference the
// alignment benchmark compares with: it fits a camera roll, pitch and field
// of view of the second picture against the first.
#pragma once

#include <string>

namespace bench {

struct HuginReading {
  bool ok = false;
  // In the alignment method's conventions: rows at the centre (left minus
  // right), the angle that turns the right view back (degrees,
  // anticlockwise positive), vertical separations left over right.
  double vertical = 0;
  double rotationDegrees = 0;
  double scale = 1;
  double wallMs = 0;
  double cpuMs = 0;  // user + system time of the program
};

// True when align_image_stack can be run.
bool huginAvailable();

// Runs `align_image_stack -S -m --use-given-order -f 50 -p PTO left right`
// (stereo: horizontal shifts allowed; field of view optimised; the first
// picture's horizontal field of view fixed at 50 degrees) on two picture
// files of `width` columns, and converts the second picture's roll r, pitch
// p and field of view v: vertical = -f tan(p) with f = (width / 2) /
// tan(25 degrees), rotation = -r, scale = tan(v / 2) / tan(25 degrees).
HuginReading runHugin(const std::string& left, const std::string& right, const std::string& pto,
                      int width);

}  // namespace bench
