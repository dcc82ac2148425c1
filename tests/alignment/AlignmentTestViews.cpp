#include "AlignmentTestViews.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace stereolint::test {

cv::Mat samplePhoto(const std::string& name, cv::Size size) {
  const cv::Mat photo =
      cv::imread("/usr/share/doc/opencv-doc/examples/data/" + name, cv::IMREAD_COLOR);
  if (photo.empty()) return photo;
  cv::Mat resized;
  cv::resize(photo, resized, size, 0, 0, cv::INTER_AREA);
  return resized;
}

cv::Mat misalign(const cv::Mat& view, double rows, double degrees, double scale) {
  const cv::Point2f centre(static_cast<float>(view.cols) / 2, static_cast<float>(view.rows) / 2);
  cv::Mat transform = cv::getRotationMatrix2D(centre, degrees, scale);
  transform.at<double>(1, 2) += rows;
  cv::Mat moved;
  cv::warpAffine(view, moved, transform, view.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return moved;
}

cv::Mat keystoned(const cv::Mat& view, double cornerRows) {
  const double cx = view.cols / 2.0, cy = view.rows / 2.0;
  const double d = cornerRows / (cx * cy);
  cv::Mat mapX(view.size(), CV_32FC1), mapY(view.size(), CV_32FC1);
  for (int y = 0; y < view.rows; ++y) {
    for (int x = 0; x < view.cols; ++x) {
      // The right view's pixel (x, y) shows the left view's row y + d x y.
      mapX.at<float>(y, x) = static_cast<float>(x);
      mapY.at<float>(y, x) = static_cast<float>(y + d * (x - cx) * (y - cy));
    }
  }
  cv::Mat warped;
  cv::remap(view, warped, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return warped;
}

cv::Mat movedRight(const cv::Mat& view, double columns) {
  const cv::Matx23d shift(1, 0, columns, 0, 1, 0);
  cv::Mat moved;
  cv::warpAffine(view, moved, shift, view.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return moved;
}

}  // namespace stereolint::test
