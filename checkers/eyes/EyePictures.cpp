#include "checkers/eyes/EyePictures.h"

#include <cmath>
#include <cstdio>
#include <opencv2/imgproc.hpp>

namespace stereolint {

cv::Mat differencePicture(const cv::Mat& left, const cv::Mat& matchedRight,
                          const cv::Mat& compared, const HighlightFigures& highlights) {
  cv::Mat difference;
  cv::absdiff(left, matchedRight, difference);
  difference.convertTo(difference, CV_8UC3, 4.0);
  difference.setTo(cv::Scalar::all(128), compared == 0);
  const int thickness = std::max(1, left.cols / 400);
  for (const HighlightRegion& region : highlights.regions) {
    const cv::Scalar colour = region.inLeft ? cv::Scalar(0, 255, 255) : cv::Scalar(255, 255, 0);
    cv::rectangle(difference, region.box, colour, thickness);
  }
  return difference;
}

cv::Mat sharpnessPicture(const cv::Mat& left, const SharpnessFigures& sharpness) {
  cv::Mat picture = left.clone();
  const double scaleText = std::max(0.4, left.cols / 1200.0);
  for (int zone = 0; zone < 9; ++zone) {
    const cv::Rect box(zone % 3 * left.cols / 3, zone / 3 * left.rows / 3, left.cols / 3,
                       left.rows / 3);
    const double ratio = sharpness.zones[static_cast<size_t>(zone)];
    if (!std::isnan(ratio) && std::fabs(ratio - 1) > 0.05) {
      const cv::Scalar tint = ratio < 1 ? cv::Scalar(0, 0, 255) : cv::Scalar(255, 0, 0);
      cv::Mat area = picture(box);
      cv::addWeighted(area, 0.7, cv::Mat(area.size(), area.type(), tint), 0.3, 0, area);
    }
    cv::rectangle(picture, box, cv::Scalar::all(255), 1);
    char label[32];
    if (std::isnan(ratio))
      std::snprintf(label, sizeof label, "-");
    else
      std::snprintf(label, sizeof label, "%.2f", ratio);
    const cv::Point at(box.x + 6, box.y + static_cast<int>(24 * scaleText));
    cv::putText(picture, label, at, cv::FONT_HERSHEY_SIMPLEX, scaleText, cv::Scalar::all(0), 3,
                cv::LINE_AA);
    cv::putText(picture, label, at, cv::FONT_HERSHEY_SIMPLEX, scaleText, cv::Scalar::all(255), 1,
                cv::LINE_AA);
  }
  return picture;
}

}  // namespace stereolint
