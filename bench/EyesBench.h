// The alignment method's eye match on real pairs of opencv-doc with a known
// grade, blur and one-eye highlights applied to one eye: what it reads
// against what was applied, the colour left after its own correction, and
// the time per frame.
#pragma once

namespace bench {

void printEyesBench();

}  // namespace bench
