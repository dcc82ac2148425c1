#include "checkers/alignment/AlignmentViews.h"

#include <opencv2/imgproc.hpp>

namespace stereolint {

cv::Mat toEightBit(const cv::Mat& view) {
  if (view.depth() == CV_8U) return view;
  cv::Mat eight;
  view.convertTo(eight, CV_8U, view.depth() == CV_16U ? 1.0 / 256 : 1.0, 0);
  return eight;
}

cv::Mat toGrey(const cv::Mat& view) {
  const cv::Mat eight = toEightBit(view);
  cv::Mat grey;
  switch (eight.channels()) {
    case 3:
      cv::cvtColor(eight, grey, cv::COLOR_BGR2GRAY);
      break;
    case 4:
      cv::cvtColor(eight, grey, cv::COLOR_BGRA2GRAY);
      break;
    default:
      grey = eight.channels() == 1 ? eight : cv::Mat();
      break;
  }
  if (grey.empty() && !eight.empty()) cv::extractChannel(eight, grey, 0);
  return grey;
}

cv::Mat toColour(const cv::Mat& view) {
  const cv::Mat eight = toEightBit(view);
  cv::Mat colour;
  switch (eight.channels()) {
    case 1:
      cv::cvtColor(eight, colour, cv::COLOR_GRAY2BGR);
      break;
    case 4:
      cv::cvtColor(eight, colour, cv::COLOR_BGRA2BGR);
      break;
    case 3:
      colour = eight;
      break;
    default:
      cv::cvtColor(toGrey(view), colour, cv::COLOR_GRAY2BGR);
      break;
  }
  return colour;
}

}  // namespace stereolint
