#include "sources/ViewRegions.h"

#include "util/Constants.h"

namespace stereolint {

std::optional<Orientation> orientationFromWord(const std::string& word) {
  for (Orientation orientation :
       {Orientation::Whole, Orientation::SideBySide, Orientation::OverUnder})
    if (word == orientationWord(orientation)) return orientation;
  return std::nullopt;
}

const std::string& orientationWord(Orientation orientation) {
  static const std::string whole;
  switch (orientation) {
    case Orientation::SideBySide: return constants().vertically;
    case Orientation::OverUnder: return constants().horizontally;
    case Orientation::Whole: break;
  }
  return whole;
}

std::optional<std::pair<cv::Rect, cv::Rect>> viewRegions(const std::string& orientation, int width,
                                                         int height) {
  if (const std::optional<Orientation> known = orientationFromWord(orientation))
    return viewRegions(*known, width, height);
  return std::make_pair(cv::Rect(), cv::Rect());
}

std::optional<std::pair<cv::Rect, cv::Rect>> viewRegions(Orientation orientation, int width,
                                                         int height) {
  switch (orientation) {
    case Orientation::SideBySide: {
      const int half = width / 2;
      return std::make_pair(cv::Rect(0, 0, half, height), cv::Rect(half, 0, half, height));
    }
    case Orientation::OverUnder: {
      const int half = height / 2;
      return std::make_pair(cv::Rect(0, 0, width, half), cv::Rect(0, half, width, half));
    }
    case Orientation::Whole: break;
  }
  return std::nullopt;
}

bool regionsHoldViews(const std::optional<std::pair<cv::Rect, cv::Rect>>& regions) {
  return !regions || (!regions->first.empty() && !regions->second.empty());
}

}  // namespace stereolint
