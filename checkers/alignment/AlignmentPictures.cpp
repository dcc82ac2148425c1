#include "checkers/alignment/AlignmentPictures.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace stereolint {

namespace {

cv::Scalar residualColour(double r) {
  const double t = std::min(1.0, std::fabs(r));
  const double rising = std::min(255.0, 510 * t);
  const double falling = std::min(255.0, 510 * (1 - t));
  // Below the model (r > 0): green, yellow, red; above: green, cyan, blue.
  return r >= 0 ? cv::Scalar(0, falling, rising) : cv::Scalar(rising, falling, 0);
}

}  // namespace

cv::Mat alignmentAnaglyph(const cv::Mat& left, const cv::Mat& right) {
  cv::Mat picture;
  const int fromTo[] = {0, 0, 1, 1, 5, 2};  // blue, green of right; red of left
  picture.create(left.size(), CV_8UC3);
  const cv::Mat sources[] = {right, left};
  cv::mixChannels(sources, 2, &picture, 1, fromTo, 3);
  return picture;
}

cv::Mat correctRight(const cv::Mat& right, const DisparityModel& model) {
  cv::Mat mapX(right.size(), CV_32FC1), mapY(right.size(), CV_32FC1);
  for (int y = 0; y < right.rows; ++y) {
    auto* xs = mapX.ptr<float>(y);
    auto* ys = mapY.ptr<float>(y);
    for (int x = 0; x < right.cols; ++x) {
      const cv::Point2d source = model.unaligned({static_cast<double>(x), static_cast<double>(y)});
      xs[x] = static_cast<float>(source.x);
      ys[x] = static_cast<float>(source.y);
    }
  }
  cv::Mat corrected;
  cv::remap(right, corrected, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
            cv::Scalar::all(0));
  return corrected;
}

cv::Mat pointsPicture(const cv::Mat& left, const AlignmentMeasurement& measurement) {
  cv::Mat picture = left.clone();
  const int size = std::max(3, left.cols / 300);
  for (size_t i = 0; i < measurement.pairs.size(); ++i) {
    const cv::Point at(cvRound(measurement.pairs[i].left.x), cvRound(measurement.pairs[i].left.y));
    const bool inlier = i < measurement.inliers.size() && measurement.inliers[i];
    if (!inlier) {
      cv::drawMarker(picture, at, cv::Scalar(128, 128, 128), cv::MARKER_CROSS, 2 * size, 1);
      continue;
    }
    const double r = i < measurement.residuals.size() ? measurement.residuals[i] : 0;
    cv::circle(picture, at, size, residualColour(r), cv::FILLED, cv::LINE_AA);
  }
  return picture;
}

}  // namespace stereolint
