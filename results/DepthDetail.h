// What a depth reviewer looks at in a frame beyond its measures: how the
// parallax of its dense map spreads (a coarse histogram), and at which edge
// the stereo window is broken and by how much. Kept by quality control for
// every frame that has a dense parallax map, so it stays small (about 120
// bytes).
#pragma once

#include <array>
#include <cstdint>

namespace stereolint {

struct ParallaxHistogram {
  static constexpr int kBins = 40;
  // The range the bins divide into kBins equal parts, % of the view width
  // (xR - xL, negative in front of the screen): the range the frame's
  // parallax was searched in. A value outside it counts in the nearest bin.
  double fromPercent = 0;
  double toPercent = 0;
  // Each bin's share of the pixels that have a parallax, in ten-thousandths
  // (the shares add up to 10000, give or take rounding).
  std::array<std::uint16_t, kBins> shares{};

  static constexpr int kWhole = 10000;
  double binWidth() const { return (toPercent - fromPercent) / kBins; }
  // The share of bin `i` in percent of the pixels with a parallax.
  double percentOf(int i) const {
    return shares[static_cast<size_t>(i)] * 100.0 / kWhole;
  }
  bool operator==(const ParallaxHistogram& other) const {
    return fromPercent == other.fromPercent && toPercent == other.toPercent &&
           shares == other.shares;
  }
};

struct DepthDetail {
  ParallaxHistogram histogram;
  // % of the height of the left and right edge where content in front of
  // the window is cut by that edge (the DEPTH block's WINDOW LEFT and
  // WINDOW RIGHT), and the FLOATING WINDOW in pixels that mends both.
  double windowLeftPercent = 0;
  double windowRightPercent = 0;
  int floatingWindowPixels = 0;

  bool violatesWindow() const { return windowLeftPercent > 0 || windowRightPercent > 0; }
  bool operator==(const DepthDetail& other) const {
    return histogram == other.histogram && windowLeftPercent == other.windowLeftPercent &&
           windowRightPercent == other.windowRightPercent &&
           floatingWindowPixels == other.floatingWindowPixels;
  }
};

}  // namespace stereolint
