// The alignment method's dense parallax on real pairs of opencv-doc: its
// accuracy against the aloe pair's true disparity beside the image
// library's plain semi-global matching, window violations found and mended,
// the eye order of pairs as shot and swapped, and the time per frame.
#pragma once

namespace bench {

void printDepthBench();

}  // namespace bench
