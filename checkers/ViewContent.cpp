#include "checkers/ViewContent.h"

namespace stereolint {

namespace {

enum class Content { Black, Flat, Textured };

Content contentOf(const cv::Mat& view) {
  if (view.empty()) return Content::Black;
  const double range = view.depth() == CV_16U ? 65535.0 : 255.0;
  double lowest = 0, highest = 0;
  cv::minMaxLoc(view.reshape(1), &lowest, &highest);
  if (highest <= range / 100) return Content::Black;
  if (highest - lowest <= range / 100) return Content::Flat;
  return Content::Textured;
}

const char* word(Content content) {
  return content == Content::Black ? "black" : "flat (one colour)";
}

}  // namespace

std::string featurelessViews(const cv::Mat& left, const cv::Mat& right) {
  const Content l = contentOf(left);
  const Content r = contentOf(right);
  if (l == Content::Textured && r == Content::Textured) return "";
  if (l == r) return std::string("both views are ") + word(l);
  if (l != Content::Textured) return std::string("the left view is ") + word(l);
  return std::string("the right view is ") + word(r);
}

}  // namespace stereolint
