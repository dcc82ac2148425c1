// How the measuring loops grow with the number of matches: the pairwise
// loops of the rotation and scale checkers, the definition one feature at a
// time against the fast form, on made-up matches of a 960 x 1080 view.
#pragma once

namespace bench {

// Prints, for 500, 2,000 and 8,000 matches, each loop's milliseconds both
// ways and whether the values are bit-identical; once for matches of a
// turned view (every term needs its arctangent) and once for a view moved
// by whole rows (the worst case's exactly-zero terms).
void printLoopScaling();

}  // namespace bench
