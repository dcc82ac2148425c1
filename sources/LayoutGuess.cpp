#include "sources/LayoutGuess.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <opencv2/imgproc.hpp>

#include "sources/ViewSqueeze.h"

namespace stereolint {

namespace {

// Thumbnails of each half: small enough to be cheap, large enough to tell a
// scene from another; shifts up to a tenth of the width cover the parallax
// of any watchable pair.
constexpr int kThumbWidth = 96;
constexpr int kMaxShift = kThumbWidth / 10;
constexpr double kAlike = 0.6;
constexpr double kClearlyBetter = 0.3;
constexpr double kUnusualShape = 0.08;
constexpr double kDeliveryShape = 0.02;

cv::Mat greyFloat(const cv::Mat& picture) {
  cv::Mat grey;
  if (picture.channels() == 1) {
    grey = picture;
  } else {
    cv::cvtColor(picture, grey, picture.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
  }
  cv::Mat real;
  grey.convertTo(real, CV_32F, picture.depth() == CV_16U ? 1.0 / 257.0 : 1.0);
  return real;
}

cv::Mat thumbnail(const cv::Mat& half) {
  const int rows = std::max(8, half.rows * kThumbWidth / std::max(1, half.cols));
  cv::Mat small;
  cv::resize(half, small, cv::Size(kThumbWidth, rows), 0, 0, cv::INTER_AREA);
  cv::GaussianBlur(small, small, cv::Size(3, 3), 0);
  return small;
}

double correlation(const cv::Mat& a, const cv::Mat& b) {
  cv::Scalar meanA, sdA, meanB, sdB;
  cv::meanStdDev(a, meanA, sdA);
  cv::meanStdDev(b, meanB, sdB);
  if (sdA[0] < 1e-6 || sdB[0] < 1e-6) return 0;
  const double covariance = cv::mean((a - meanA[0]).mul(b - meanB[0]))[0];
  return covariance / (sdA[0] * sdB[0]);
}

double nearestShapeDistance(double aspect) {
  double best = 1e9;
  for (double shape : deliveryAspects()) best = std::min(best, std::fabs(aspect / shape - 1.0));
  return best;
}

std::string sizeWords(cv::Size size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

std::string cutDoubt(const cv::Mat& frame, Orientation orientation) {
  const Orientation other =
      orientation == Orientation::SideBySide ? Orientation::OverUnder : Orientation::SideBySide;
  const double chosen = halvesLikeness(frame, orientation);
  const double instead = halvesLikeness(frame, other);
  if (instead < kAlike || instead - chosen < kClearlyBetter) return "";
  char text[320];
  std::snprintf(text, sizeof text,
                "The frames look %s, not %s: their %s halves are alike (correlation %.2f), the "
                "%s ones are not (%.2f); check -o (-o %s reads them %s)",
                other == Orientation::SideBySide ? "side by side" : "over-under",
                orientation == Orientation::SideBySide ? "side by side" : "over-under",
                other == Orientation::SideBySide ? "left and right" : "upper and lower", instead,
                orientation == Orientation::SideBySide ? "left and right" : "upper and lower",
                chosen, orientationWord(other).c_str(),
                other == Orientation::SideBySide ? "side by side" : "over-under");
  return text;
}

std::string squeezeDoubt(cv::Size frame, Orientation orientation, int squeeze) {
  const cv::Size cut = orientation == Orientation::SideBySide
                           ? cv::Size(frame.width / 2, frame.height)
                           : cv::Size(frame.width, frame.height / 2);
  const int other = squeeze == 1 ? 2 : 1;
  const cv::Size now = unsqueezedSize(cut, orientation, squeeze);
  const cv::Size then = unsqueezedSize(cut, orientation, other);
  if (now.height <= 0 || then.height <= 0) return "";
  const double nowOff = nearestShapeDistance(static_cast<double>(now.width) / now.height);
  const double thenOff = nearestShapeDistance(static_cast<double>(then.width) / then.height);
  if (nowOff < kUnusualShape || thenOff > kDeliveryShape) return "";
  const std::string shape = "views of " + sizeWords(now) + ", a shape no picture is delivered in";
  if (other == 2)
    return "The frames give " + shape + ": they look squeezed to half " +
           (orientation == Orientation::SideBySide ? "width" : "height") +
           "; --squeeze 2 gives views of " + sizeWords(then);
  return "--squeeze " + std::to_string(squeeze) + " gives " + shape +
         "; without it the views are " + sizeWords(then);
}

}  // namespace

double halvesLikeness(const cv::Mat& frame, Orientation orientation) {
  if (frame.empty() || orientation == Orientation::Whole || frame.cols < 4 || frame.rows < 4)
    return 0;
  const cv::Mat grey = greyFloat(frame);
  const bool sideBySide = orientation == Orientation::SideBySide;
  const cv::Rect first = sideBySide ? cv::Rect(0, 0, grey.cols / 2, grey.rows)
                                    : cv::Rect(0, 0, grey.cols, grey.rows / 2);
  const cv::Rect second = sideBySide ? cv::Rect(grey.cols / 2, 0, grey.cols / 2, grey.rows)
                                     : cv::Rect(0, grey.rows / 2, grey.cols, grey.rows / 2);
  const cv::Mat a = thumbnail(grey(first));
  const cv::Mat b = thumbnail(grey(second));
  const int rows = std::min(a.rows, b.rows);
  double best = -1;
  for (int shift = -kMaxShift; shift <= kMaxShift; ++shift) {
    const int width = kThumbWidth - std::abs(shift);
    const cv::Rect inA(std::max(0, shift), 0, width, rows);
    const cv::Rect inB(std::max(0, -shift), 0, width, rows);
    best = std::max(best, correlation(a(inA), b(inB)));
  }
  return best;
}

const std::vector<double>& deliveryAspects() {
  static const std::vector<double> aspects = {4.0 / 3.0, 1.5,  5.0 / 3.0, 16.0 / 9.0, 1.85,
                                              1.896,     2.0,  2.35,      2.39};
  return aspects;
}

std::string layoutDoubt(const cv::Mat& frame, Orientation orientation, int squeeze) {
  if (orientation == Orientation::Whole || frame.empty()) return "";
  std::string doubt = cutDoubt(frame, orientation);
  if (!doubt.empty()) return doubt;
  return squeezeDoubt(frame.size(), orientation, squeeze);
}

}  // namespace stereolint
