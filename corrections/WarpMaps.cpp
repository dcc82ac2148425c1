#include "corrections/WarpMaps.h"

#include <algorithm>
#include <climits>
#include <opencv2/imgproc.hpp>

namespace stereolint::corrections {

WarpMaps::WarpMaps(const cv::Matx33d& warp, cv::Size size)
    : positions(size, CV_16SC2), fractions(size, CV_16UC1) {
  // The output's pixels are traced back through the inverse, inverted as
  // the perspective warp inverts it, and each product formed in its order:
  // the same doubles round to the same fixed-point positions.
  cv::Mat inverse(warp);
  cv::invert(inverse, inverse);
  const double* m = inverse.ptr<double>();
  constexpr int kTab = cv::INTER_TAB_SIZE;
  for (int y = 0; y < size.height; ++y) {
    const double x0 = m[1] * y + m[2];
    const double y0 = m[4] * y + m[5];
    const double w0 = m[7] * y + m[8];
    auto* position = positions.ptr<short>(y);
    auto* fraction = fractions.ptr<unsigned short>(y);
    for (int x = 0; x < size.width; ++x) {
      double w = w0 + m[6] * x;
      w = w != 0 ? kTab / w : 0.0;
      const double fx = std::max(static_cast<double>(INT_MIN),
                                 std::min(static_cast<double>(INT_MAX), (x0 + m[0] * x) * w));
      const double fy = std::max(static_cast<double>(INT_MIN),
                                 std::min(static_cast<double>(INT_MAX), (y0 + m[3] * x) * w));
      const int px = cv::saturate_cast<int>(fx);
      const int py = cv::saturate_cast<int>(fy);
      position[2 * x] = cv::saturate_cast<short>(px >> cv::INTER_BITS);
      position[2 * x + 1] = cv::saturate_cast<short>(py >> cv::INTER_BITS);
      fraction[x] = static_cast<unsigned short>((py & (kTab - 1)) * kTab + (px & (kTab - 1)));
    }
  }
}

void WarpMaps::apply(const cv::Mat& source, cv::Mat& target) const {
  cv::remap(source, target, positions, fractions, cv::INTER_CUBIC, cv::BORDER_REPLICATE);
}

}  // namespace stereolint::corrections
