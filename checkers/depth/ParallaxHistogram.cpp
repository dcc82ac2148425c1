#include "checkers/depth/ParallaxHistogram.h"

#include <algorithm>
#include <cmath>

namespace stereolint {

std::vector<double> parallaxShares(const cv::Mat& map, double from, double to, int bins) {
  std::vector<double> shares(static_cast<size_t>(std::max(bins, 1)), 0.0);
  const double perBin = (to - from) / static_cast<double>(shares.size());
  if (!(perBin > 0)) return shares;
  const auto last = static_cast<long>(shares.size()) - 1;
  double valid = 0;
  for (int y = 0; y < map.rows; ++y) {
    const auto* row = map.ptr<float>(y);
    for (int x = 0; x < map.cols; ++x) {
      if (std::isnan(row[x])) continue;
      const long bin = std::clamp(std::lround(std::floor((row[x] - from) / perBin)), 0L, last);
      shares[static_cast<size_t>(bin)] += 1;
      valid += 1;
    }
  }
  if (valid > 0)
    for (double& share : shares) share /= valid;
  return shares;
}

}  // namespace stereolint
