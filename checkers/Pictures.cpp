#include "checkers/Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <opencv2/imgproc.hpp>

#include "checkers/MatchesDrawing.h"
#include "checkers/Statistics.h"

namespace stereolint {

cv::Mat anaglyph(const cv::Mat& left, const cv::Mat& right) {
  std::vector<cv::Mat> leftChannels, rightChannels;
  cv::split(left, leftChannels);
  cv::split(right, rightChannels);
  CV_Assert(leftChannels.size() == 3 && rightChannels.size() == 3);
  cv::Mat picture;
  cv::merge(std::vector<cv::Mat>{rightChannels[0], rightChannels[1], leftChannels[2]}, picture);
  return picture;
}

cv::Mat circlesPicture(const cv::Mat& view, const std::vector<Disparity>& values) {
  const double scale = maximumAbsolute(values);
  const double threshold = std::fabs(median(values));
  cv::Mat picture = view.clone();
  for (const Disparity& d : values) {
    if (!(std::fabs(d.getValue()) > threshold)) continue;
    const int radius = static_cast<int>(std::fabs(d.getValue() * 50 / scale));
    if (radius == 0) continue;
    const cv::Scalar colour = d.getValue() >= 0 ? cv::Scalar(0, 0, 255) : cv::Scalar(255, 0, 0);
    cv::circle(picture, d.getPoint(), radius, colour, cv::FILLED, cv::LINE_8, 0);

    char label[64];
    std::snprintf(label, sizeof label, "%.2f", d.getValue());
    int baseline = 0;
    const cv::Size text = cv::getTextSize(label, cv::FONT_HERSHEY_DUPLEX, 1.0, 1, &baseline);
    const cv::Point origin(d.getPoint().x - text.width / 2, d.getPoint().y + text.height / 2);
    cv::putText(picture, label, origin, cv::FONT_HERSHEY_DUPLEX, 1.0, cv::Scalar(0, 0, 0), 1,
                cv::LINE_8);
  }
  return picture;
}

cv::Mat matchesPicture(const cv::Mat& left, const cv::Mat& right, const FeatureMatches& matches) {
  return drawMatchesInBands(left, matches.getLeftKeypoints(), right, matches.getRightKeypoints(),
                            matches.getMatches(),
                            matchesBandRows(std::max(left.rows, right.rows)));
}

}  // namespace stereolint
