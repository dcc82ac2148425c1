#include "checkers/eyes/Highlights.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace stereolint {

namespace {

// CIELAB lightness (0 to 100) of an 8-bit BGR picture, as CV_32F.
cv::Mat lightnessOf(const cv::Mat& bgr) {
  cv::Mat lab, channel, lightness;
  cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
  cv::extractChannel(lab, channel, 0);
  channel.convertTo(lightness, CV_32F, 100.0 / 255.0);
  return lightness;
}

// Whether `light` exceeds by kHighlightLightness every value of `row` from
// column `first` to `last`, both included. It stops at the first value
// that is not outshone, which on most pixels comes within a few columns.
bool outshines(float light, const float* row, int first, int last) {
  return std::none_of(row + first, row + last + 1,
                      [light](float other) { return light - other < kHighlightLightness; });
}

// The least and greatest parallax of `map` around each pixel (NaN where
// none); the frame's own range where the window holds no parallax.
void parallaxRange(const cv::Mat& map, cv::Mat& least, cv::Mat& greatest) {
  // Found pixel by pixel: the image library's comparisons do not tell NaN.
  cv::Mat none(map.size(), CV_8U);
  for (int y = 0; y < map.rows; ++y)
    for (int x = 0; x < map.cols; ++x)
      none.at<uchar>(y, x) = std::isnan(map.at<float>(y, x)) ? 255 : 0;
  double low = 0, high = 0;
  cv::minMaxLoc(map, &low, &high, nullptr, nullptr, ~none);
  const cv::Mat window = cv::getStructuringElement(
      cv::MORPH_RECT, {2 * kHighlightRangeReach + 1, 2 * kHighlightReach + 1});
  constexpr float kFar = 1e6f;
  cv::Mat forLeast = map.clone(), forGreatest = map.clone();
  forLeast.setTo(kFar, none);
  forGreatest.setTo(-kFar, none);
  cv::erode(forLeast, least, window);
  cv::dilate(forGreatest, greatest, window);
  least.setTo(low, least >= kFar);
  greatest.setTo(high, greatest <= -kFar);
}

// The gaps of `map`'s rows that the left eye alone sees: farther on their
// left than on their right, the band of a farther surface that a nearer
// one hides from the right eye. Such a band has no match in the right eye;
// it continues the surface on its left instead. For each pixel of such a
// gap, the column where its gap starts; -1 elsewhere.
cv::Mat gapsSeenByLeftAlone(const cv::Mat& map) {
  cv::Mat starts(map.size(), CV_32S, cv::Scalar(-1));
  for (int y = 0; y < map.rows; ++y) {
    const float* row = map.ptr<float>(y);
    for (int x = 0; x < map.cols;) {
      if (!std::isnan(row[x])) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < map.cols && std::isnan(row[x])) ++x;
      if (start > 0 && x < map.cols && row[start - 1] > row[x] + 1.0f)
        starts.row(y).colRange(start, x).setTo(start);
    }
  }
  return starts;
}

// Each pixel's lightness raised to the brightest within kHighlightReach
// rows above and below it.
cv::Mat brightestAcrossRows(const cv::Mat& light) {
  cv::Mat across;
  cv::dilate(light, across,
             cv::getStructuringElement(cv::MORPH_RECT, {1, 2 * kHighlightReach + 1}));
  return across;
}

// Where the left eye alone sees a surface, a pixel counts only when it is
// also brighter than that surface just left of the gap, which it continues.
void keepBrighterThanTheSurfaceBeside(const cv::Mat& light, const cv::Mat& map, cv::Mat& mask) {
  const cv::Mat starts = gapsSeenByLeftAlone(map);
  const cv::Mat own = brightestAcrossRows(light);
  for (int y = 0; y < mask.rows; ++y)
    for (int x = 0; x < mask.cols; ++x) {
      const int start = starts.at<int>(y, x);
      if (start < 0 || mask.at<uchar>(y, x) == 0) continue;
      const int first = std::max(0, start - kHighlightReachAlongRow);
      if (!outshines(light.at<float>(y, x), own.ptr<float>(y), first, start - 1))
        mask.at<uchar>(y, x) = 0;
    }
}

// Pixels of `own` brighter than anything of `other` where their match can
// lie: along the row over the parallax range around them, widened by
// kHighlightReachAlongRow, and within kHighlightReach rows. The parallax
// (other column = left column + parallax) is indexed by the left eye's
// columns; a pixel of the right eye takes the range around where the left
// eye would see it. Pixels whose span leaves `other`'s picture are not
// judged.
cv::Mat brighterThan(const cv::Mat& own, const cv::Mat& other, const cv::Mat& least,
                     const cv::Mat& greatest, bool ownIsLeft) {
  const cv::Mat across = brightestAcrossRows(other);
  cv::Mat mask(own.size(), CV_8U, cv::Scalar(0));
  for (int y = 0; y < own.rows; ++y) {
    const float* light = own.ptr<float>(y);
    const float* lows = least.ptr<float>(y);
    const float* highs = greatest.ptr<float>(y);
    for (int x = 0; x < own.cols; ++x) {
      if (light[x] < kHighlightFloor) continue;
      const int at =
          ownIsLeft ? x : std::clamp(x - static_cast<int>(std::lround(lows[x])), 0, own.cols - 1);
      const int low = static_cast<int>(std::floor(lows[at]));
      const int high = static_cast<int>(std::ceil(highs[at]));
      const int first = (ownIsLeft ? x + low : x - high) - kHighlightReachAlongRow;
      const int last = (ownIsLeft ? x + high : x - low) + kHighlightReachAlongRow;
      if (first < 0 || last >= other.cols) continue;
      if (outshines(light[x], across.ptr<float>(y), first, last)) mask.at<uchar>(y, x) = 255;
    }
  }
  return mask;
}

// The pure black a view's correction left at its edges, and the pixels
// within 3 of it.
cv::Mat emptyEdges(const cv::Mat& view) {
  cv::Mat black;
  cv::inRange(view, cv::Scalar::all(0), cv::Scalar::all(0), black);
  cv::dilate(black, black, cv::getStructuringElement(cv::MORPH_RECT, {7, 7}));
  return black;
}

void addRegions(const cv::Mat& mask, bool inLeft, HighlightFigures& figures) {
  // Most frames hold too few pixels of one-eye light for even one region
  // of the smallest counted size: nothing to label.
  const double pixels = static_cast<double>(mask.total());
  if (100.0 * cv::countNonZero(mask) / pixels < kHighlightMinimumPercent) return;
  cv::Mat labels, stats, centroids;
  const int count = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < count; ++i) {
    const double percent = 100.0 * stats.at<int>(i, cv::CC_STAT_AREA) / pixels;
    if (percent < kHighlightMinimumPercent) continue;
    const cv::Rect box(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                       stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    figures.regions.push_back({box, inLeft, percent});
    figures.areaPercent += percent;
  }
}

}  // namespace

HighlightFigures highlights(const cv::Mat& left, const cv::Mat& right,
                            const ColourGrade& grade, const cv::Mat& map) {
  const cv::Mat leftLight = lightnessOf(left);
  const cv::Mat rightLight = lightnessOf(grade(right));
  // The black the correction of a view left at its edges hides what lies
  // there, and the resampling blends it into the rows and columns beside
  // it: nothing there is judged, and as the other eye's it counts as
  // bright as anything, so nothing is judged against it either.
  const cv::Mat leftEmpty = emptyEdges(left), rightEmpty = emptyEdges(right);
  cv::Mat leftAsOther = leftLight.clone(), rightAsOther = rightLight.clone();
  leftAsOther.setTo(100, leftEmpty);
  rightAsOther.setTo(100, rightEmpty);
  cv::Mat least, greatest;
  parallaxRange(map, least, greatest);
  cv::Mat inLeft = brighterThan(leftLight, rightAsOther, least, greatest, true);
  keepBrighterThanTheSurfaceBeside(leftLight, map, inLeft);
  inLeft.setTo(0, leftEmpty);
  cv::Mat inRight = brighterThan(rightLight, leftAsOther, least, greatest, false);
  inRight.setTo(0, rightEmpty);
  HighlightFigures figures;
  addRegions(inLeft, true, figures);
  addRegions(inRight, false, figures);
  return figures;
}

}  // namespace stereolint
