// Stereo footage in motion, for the tests of the eyes' timing: a textured
// scene seen through a moving camera, or moving objects before a still
// background, with the right eye delayed by a known number of frames.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "support/SyntheticViews.h"

namespace stereolint::test {

enum class Motion {
  Pan,        // the camera moves irregularly across and up and down the scene
  SteadyPan,  // the camera moves sideways at a constant 3 columns a frame
  Objects,    // the camera stands still; a few patches move over the scene
  Still,      // nothing moves
};

// `frames` pairs of `size`. The right view sees the scene `parallax`
// columns further right than the left view. The right eye is `delay` frames
// late: its frame t shows what the left eye shows at frame t - delay
// (negative: the left eye is late).
std::vector<StereoPair> movingPairs(int frames, cv::Size size, int delay, Motion motion,
                                    int parallax = 4, unsigned seed = 7);

}  // namespace stereolint::test
