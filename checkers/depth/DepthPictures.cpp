#include "checkers/depth/DepthPictures.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace stereolint {

namespace {

const cv::Vec3b kInvalid(128, 128, 128);
const cv::Scalar kViolation(0, 0, 255);

// White at 0, to red (blue, green, red order) at -1 and deep blue at 1.
cv::Vec3b diverging(double t) {
  t = std::clamp(t, -1.0, 1.0);
  const auto fade = [](double a) { return static_cast<uchar>(std::lround(255.0 * (1.0 - a))); };
  if (t < 0) return {fade(-t), fade(-0.75 * t), 255};
  return {static_cast<uchar>(std::lround(255.0 - 80.0 * t)), fade(0.8 * t), fade(t)};
}

// Vertical runs of set flags as [first, last] row pairs.
std::vector<cv::Vec2i> runs(const std::vector<bool>& flags) {
  std::vector<cv::Vec2i> list;
  for (size_t y = 0; y < flags.size(); ++y) {
    if (!flags[y]) continue;
    const size_t start = y;
    while (y + 1 < flags.size() && flags[y + 1]) ++y;
    list.emplace_back(static_cast<int>(start), static_cast<int>(y));
  }
  return list;
}

}  // namespace

cv::Mat parallaxPicture(const cv::Mat& map) {
  double reach = 1.0;
  for (int y = 0; y < map.rows; ++y)
    for (int x = 0; x < map.cols; ++x)
      if (const float p = map.at<float>(y, x); !std::isnan(p))
        reach = std::max(reach, std::fabs(static_cast<double>(p)));
  cv::Mat picture(map.size(), CV_8UC3);
  for (int y = 0; y < map.rows; ++y)
    for (int x = 0; x < map.cols; ++x) {
      const float p = map.at<float>(y, x);
      picture.at<cv::Vec3b>(y, x) = std::isnan(p) ? kInvalid : diverging(p / reach);
    }
  return picture;
}

cv::Mat windowPicture(const cv::Mat& leftColour, const cv::Mat& leftGrey, const cv::Mat& map,
                      const WindowMasks& masks) {
  cv::Mat picture;
  if (leftColour.channels() == 1) cv::cvtColor(leftColour, picture, cv::COLOR_GRAY2BGR);
  else picture = leftColour.clone();
  const int strip = std::max(4, map.cols / 40);
  const int thickness = std::max(2, map.cols / 320);
  for (bool leftEdge : {true, false}) {
    const int from = leftEdge ? masks.leftViewLeft : map.cols - 1 - masks.leftViewRight - strip;
    for (const cv::Vec2i& run : runs(windowViolationRows(map, leftGrey, masks, leftEdge)))
      cv::rectangle(picture, cv::Rect(from, run[0], strip, run[1] - run[0] + 1), kViolation,
                    thickness);
  }
  return picture;
}

}  // namespace stereolint
