#include "sources/ViewRegions.h"

#include "util/Constants.h"

namespace stereolint {

std::optional<std::pair<cv::Rect, cv::Rect>> viewRegions(const std::string& orientation, int width,
                                                         int height) {
  if (orientation.empty()) return std::nullopt;
  if (orientation == constants().vertically) {
    const int half = width / 2;
    return std::make_pair(cv::Rect(0, 0, half, height), cv::Rect(half, 0, half, height));
  }
  if (orientation == constants().horizontally) {
    const int half = height / 2;
    return std::make_pair(cv::Rect(0, 0, width, half), cv::Rect(0, half, width, half));
  }
  return std::make_pair(cv::Rect(), cv::Rect());
}

bool regionsHoldViews(const std::optional<std::pair<cv::Rect, cv::Rect>>& regions) {
  return !regions || (!regions->first.empty() && !regions->second.empty());
}

}  // namespace stereolint
