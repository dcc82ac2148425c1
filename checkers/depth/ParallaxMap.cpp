#include "checkers/depth/ParallaxMap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <opencv2/calib3d.hpp>

namespace stereolint {

namespace {

// Matching block of 3 x 3 pixels with the usual smoothness penalties for a
// block of that size; the three-direction variant of semi-global matching
// costs half the full variant for the same accuracy here. A best match must
// beat the second best by 15 %; the image library's own left-right check
// allows 1 pixel; islands of fewer than 100 pixels that differ by more than
// 2 pixels from their surroundings are dropped.
constexpr int kBlock = 3;
constexpr int kUniqueness = 15;
constexpr int kLeftRightTolerance = 1;
constexpr int kSpeckleWindow = 100;
constexpr int kSpeckleRange = 2;
constexpr int kDisparityStep = 16;  // the image library searches in steps of 16

// The image library's disparity is xL - xR, the negative of the parallax,
// searched from `minDisparity` over `count` values, a multiple of 16: the
// search reaches a little nearer than asked.
struct DisparityRange {
  int minDisparity;
  int count;

  explicit DisparityRange(ParallaxSearch search)
      : minDisparity(-std::max(search.farthest, search.nearest)),
        count((std::abs(search.farthest - search.nearest) + kDisparityStep) / kDisparityStep *
              kDisparityStep) {}

  int nearest() const { return -(minDisparity + count - 1); }
  int farthest() const { return -minDisparity; }
};

}  // namespace

double parallaxWorkingScale(int width) {
  return width > kParallaxWorkingWidth ? static_cast<double>(kParallaxWorkingWidth) / width : 1.0;
}

ParallaxSearch widenedSearch(const cv::Mat& map, ParallaxSearch search, int limit) {
  const DisparityRange range(search);
  const float nearBound = static_cast<float>(range.nearest()) + 1.0f;
  const float farBound = static_cast<float>(range.farthest()) - 1.0f;
  int valid = 0, atNear = 0, atFar = 0;
  for (int y = 0; y < map.rows; ++y) {
    const auto* row = map.ptr<float>(y);
    for (int x = 0; x < map.cols; ++x) {
      if (std::isnan(row[x])) continue;
      ++valid;
      if (row[x] <= nearBound) ++atNear;
      if (row[x] >= farBound) ++atFar;
    }
  }
  const auto pilesUp = [valid](int count) {
    return valid > 0 && count * 100.0 >= kPileUpPercent * static_cast<double>(valid);
  };
  const int span = range.farthest() - range.nearest();
  ParallaxSearch wider = search;
  if (pilesUp(atNear) && range.nearest() > -limit)
    wider.nearest = std::max(-limit, range.nearest() - span);
  if (pilesUp(atFar) && range.farthest() < limit)
    wider.farthest = std::min(limit, range.farthest() + span);
  return wider;
}

cv::Mat parallaxMap(const cv::Mat& left, const cv::Mat& right, ParallaxSearch search) {
  const DisparityRange range(search);
  const int minDisparity = range.minDisparity;
  const int count = range.count;
  const auto matcher = cv::StereoSGBM::create(
      minDisparity, count, kBlock, 8 * kBlock * kBlock, 32 * kBlock * kBlock, kLeftRightTolerance,
      0, kUniqueness, kSpeckleWindow, kSpeckleRange, cv::StereoSGBM::MODE_SGBM_3WAY);
  // The matcher leaves out every column that the widest disparity searched
  // would carry beyond the other view: a strip as wide as the search at the
  // left edge (and at the right one for content behind the screen), where
  // content of a smaller parallax does have its match. The views are padded
  // by that much, the edge columns repeated, and the padding cut off again.
  const int padLeft = std::max(0, minDisparity + count);
  const int padRight = std::max(0, -minDisparity);
  cv::Mat paddedLeft, paddedRight, padded;
  cv::copyMakeBorder(left, paddedLeft, 0, 0, padLeft, padRight, cv::BORDER_REPLICATE);
  cv::copyMakeBorder(right, paddedRight, 0, 0, padLeft, padRight, cv::BORDER_REPLICATE);
  matcher->compute(paddedLeft, paddedRight, padded);
  const cv::Mat fixed = padded.colRange(padLeft, padLeft + left.cols);

  cv::Mat map(left.size(), CV_32F);
  const int scale = cv::StereoMatcher::DISP_SCALE;
  const int invalid = (minDisparity - 1) * scale;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int y = 0; y < left.rows; ++y) {
    const auto* in = fixed.ptr<short>(y);
    auto* out = map.ptr<float>(y);
    for (int x = 0; x < left.cols; ++x)
      out[x] = in[x] <= invalid ? nan : -static_cast<float>(in[x]) / static_cast<float>(scale);
  }
  // A match in the padding is beyond the right view: that content is seen
  // by the left eye alone.
  dropMatchesOutside(map, 0, right.cols - 1);
  return map;
}

void dropMatchesOutside(cv::Mat& map, int first, int last) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // Half a pixel of slack: a match on the edge column is still inside.
  const float low = static_cast<float>(first) - 0.5f, high = static_cast<float>(last) + 0.5f;
  for (int y = 0; y < map.rows; ++y) {
    auto* row = map.ptr<float>(y);
    for (int x = 0; x < map.cols; ++x) {
      const float match = static_cast<float>(x) + row[x];
      if (match < low || match > high) row[x] = nan;
    }
  }
}

}  // namespace stereolint
