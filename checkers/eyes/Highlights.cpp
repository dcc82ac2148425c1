#include "checkers/eyes/Highlights.h"

#include <opencv2/imgproc.hpp>

namespace stereolint {

namespace {

// CIELAB lightness (0 to 100) of an 8-bit BGR picture, as CV_32F.
cv::Mat lightnessOf(const cv::Mat& bgr) {
  cv::Mat lab, channels[3], lightness;
  cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
  cv::split(lab, channels);
  channels[0].convertTo(lightness, CV_32F, 100.0 / 255.0);
  return lightness;
}

// Pixels of `own` brighter than anything of `other` within the reach.
cv::Mat brighterThan(const cv::Mat& own, const cv::Mat& other, const cv::Mat& compared) {
  // Wider along the row: a match that is off lands beside its pixel on the
  // same row, by as much as the parallax is uncertain.
  const cv::Size reach(2 * kHighlightReachAlongRow + 1, 2 * kHighlightReach + 1);
  cv::Mat brightestNear;
  cv::dilate(other, brightestNear, cv::getStructuringElement(cv::MORPH_RECT, reach));
  cv::Mat excess = own - brightestNear;
  cv::Mat mask = (excess >= kHighlightLightness) & (own >= kHighlightFloor) & compared;
  return mask;
}

void addRegions(const cv::Mat& mask, bool inLeft, HighlightFigures& figures) {
  cv::Mat labels, stats, centroids;
  const int count = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
  const double pixels = static_cast<double>(mask.total());
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

HighlightFigures highlights(const cv::Mat& left, const cv::Mat& matchedRight,
                            const cv::Mat& compared) {
  const cv::Mat leftLight = lightnessOf(left), rightLight = lightnessOf(matchedRight);
  HighlightFigures figures;
  addRegions(brighterThan(leftLight, rightLight, compared), true, figures);
  addRegions(brighterThan(rightLight, leftLight, compared), false, figures);
  return figures;
}

}  // namespace stereolint
