#include "sources/ViewSqueeze.h"

#include <opencv2/imgproc.hpp>

#include "util/Constants.h"

namespace stereolint {

std::string squeezeFactorNames() {
  std::string names;
  for (const char* factor : kSqueezeFactors)
    names += (names.empty() ? "" : ", ") + std::string(factor);
  return names;
}

Expected<int> readSqueeze(const std::string& text, Orientation orientation) {
  if (text.empty()) return 1;
  int factor = 0;
  for (const char* name : kSqueezeFactors) {
    if (text == name) factor = std::stoi(name);
  }
  if (factor == 0) {
    return Failure{"\"" + text + "\" is no squeeze factor; valid: " + squeezeFactorNames()};
  }
  if (factor != 1 && orientation == Orientation::Whole) {
    return Failure{"needs -o: it stretches the views of a side-by-side (-o " +
                   constants().vertically + ") or over-under (-o " + constants().horizontally +
                   ") picture back to display geometry"};
  }
  return factor;
}

cv::Size unsqueezedSize(cv::Size cut, Orientation orientation, int factor) {
  switch (orientation) {
    case Orientation::SideBySide: return {cut.width * factor, cut.height};
    case Orientation::OverUnder: return {cut.width, cut.height * factor};
    case Orientation::Whole: break;
  }
  return cut;
}

cv::Mat unsqueezeView(const cv::Mat& view, Orientation orientation, int factor) {
  const cv::Size size = unsqueezedSize(view.size(), orientation, factor);
  if (size == view.size()) return view;
  cv::Mat stretched;
  cv::resize(view, stretched, size, 0, 0, cv::INTER_LINEAR);
  return stretched;
}

}  // namespace stereolint
