#include "results/ViewPixels.h"

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

cv::Mat toThreeChannels(const cv::Mat& view) {
  cv::Mat colour;
  switch (view.channels()) {
    case 1:
      cv::cvtColor(view, colour, cv::COLOR_GRAY2BGR);
      break;
    case 4:
      cv::cvtColor(view, colour, cv::COLOR_BGRA2BGR);
      break;
    case 3:
      colour = view;
      break;
    default: {
      cv::Mat first;
      cv::extractChannel(view, first, 0);
      cv::cvtColor(first, colour, cv::COLOR_GRAY2BGR);
      break;
    }
  }
  return colour;
}

cv::Mat toColour(const cv::Mat& view) { return toThreeChannels(toEightBit(view)); }

}  // namespace stereolint
