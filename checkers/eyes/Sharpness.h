// How sharp one eye is against the other, from patches of the same content
// in both eyes at full size: the detail each holds, and the Gaussian blur
// that turns the sharper patch into the softer one.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

namespace stereolint {

// The side of a square patch compared, pixels of the view.
inline constexpr int kSharpnessPatch = 96;
// A blur below this many pixels is reported as none: the method's own
// spread on equally sharp eyes.
inline constexpr double kNoBlurBelow = 0.25;

// One patch of the same content in both eyes, grey (CV_32F, the same
// size, the right one matched to the left in colour), and where its centre
// lies in the left view, pixels.
struct PatchPair {
  cv::Mat left;
  cv::Mat right;
  cv::Point2d at;
};

enum class SofterEye { None, Left, Right };
// "NONE", "LEFT", "RIGHT".
const char* softerEyeName(SofterEye eye);

struct SharpnessFigures {
  // The right eye's detail over the left's (1 = equal, below 1 the right
  // eye is softer): the median over the patches of the root of the ratio
  // of their gradient energies.
  double ratio = 1;
  // The softer eye and the Gaussian blur (sigma, pixels of the view) that
  // turns the sharper eye's patches into it, the median over the patches;
  // None with 0 when below kNoBlurBelow. It is told by how fine the detail
  // is (gradient energy over variance), so a difference of contrast between
  // the eyes does not read as blur.
  SofterEye softer = SofterEye::None;
  double blurPixels = 0;
  // The ratio per zone of a 3 x 3 grid over the view, row by row; NaN
  // where no patch lies.
  std::array<double, 9> zones{};
  int patches = 0;
};

// The patches' figures for views of `viewSize` (which places the zones),
// `scaleRatio` the fitted scale of the views (left over right: a right view
// enlarged by s holds 1 / s of the detail per pixel, which is no softness).
// Patches without detail in either eye are left out; nothing when none is
// left.
std::optional<SharpnessFigures> sharpness(const std::vector<PatchPair>& pairs, cv::Size viewSize,
                                          double scaleRatio);

}  // namespace stereolint
