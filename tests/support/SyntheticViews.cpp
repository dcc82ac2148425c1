#include "support/SyntheticViews.h"

#include <opencv2/imgproc.hpp>

namespace stereolint::test {

namespace {

// The views are cut from a larger canvas so that shifts and warps never
// reach its edge.
constexpr int kMargin = 64;

cv::Mat warpedAboutCentre(const cv::Mat& canvas, cv::Size size, double degrees, double scale) {
  const cv::Point2f centre(static_cast<float>(canvas.cols) / 2, static_cast<float>(canvas.rows) / 2);
  cv::Mat warped;
  cv::warpAffine(canvas, warped, cv::getRotationMatrix2D(centre, degrees, scale), canvas.size(),
                 cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return warped(cv::Rect(kMargin, kMargin, size.width, size.height)).clone();
}

}  // namespace

cv::Mat texturedPicture(cv::Size size, unsigned seed) {
  cv::RNG rng(seed);
  cv::Mat picture(size, CV_8UC3);
  rng.fill(picture, cv::RNG::UNIFORM, cv::Scalar::all(60), cv::Scalar::all(200));
  cv::GaussianBlur(picture, picture, cv::Size(0, 0), 3.0);
  const int shapes = size.area() / 250;
  for (int i = 0; i < shapes; ++i) {
    const cv::Point a(rng.uniform(0, size.width), rng.uniform(0, size.height));
    const cv::Scalar colour(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256));
    switch (rng.uniform(0, 3)) {
      case 0: {
        const cv::Point b = a + cv::Point(rng.uniform(4, 24), rng.uniform(4, 24));
        cv::rectangle(picture, a, b, colour, cv::FILLED, cv::LINE_8);
        break;
      }
      case 1:
        cv::circle(picture, a, rng.uniform(2, 10), colour, cv::FILLED, cv::LINE_AA);
        break;
      default: {
        const cv::Point triangle[] = {a, a + cv::Point(rng.uniform(-20, 20), rng.uniform(5, 20)),
                                      a + cv::Point(rng.uniform(5, 20), rng.uniform(-20, 20))};
        cv::fillConvexPoly(picture, triangle, 3, colour, cv::LINE_AA);
        break;
      }
    }
  }
  return picture;
}

StereoPair verticallyShiftedPair(cv::Size size, int rows, unsigned seed) {
  const cv::Mat canvas = texturedPicture(size + cv::Size(2 * kMargin, 2 * kMargin), seed);
  const cv::Rect leftArea(kMargin, kMargin, size.width, size.height);
  return {canvas(leftArea).clone(), canvas(leftArea + cv::Point(0, rows)).clone()};
}

StereoPair rotatedPair(cv::Size size, double degrees, unsigned seed) {
  const cv::Mat canvas = texturedPicture(size + cv::Size(2 * kMargin, 2 * kMargin), seed);
  return {warpedAboutCentre(canvas, size, 0.0, 1.0), warpedAboutCentre(canvas, size, degrees, 1.0)};
}

StereoPair scaledPair(cv::Size size, double ratio, unsigned seed) {
  const cv::Mat canvas = texturedPicture(size + cv::Size(2 * kMargin, 2 * kMargin), seed);
  return {warpedAboutCentre(canvas, size, 0.0, 1.0),
          warpedAboutCentre(canvas, size, 0.0, 1.0 / ratio)};
}

cv::Mat sideBySide(const StereoPair& pair) {
  cv::Mat picture;
  cv::hconcat(pair.left, pair.right, picture);
  return picture;
}

cv::Mat overUnder(const StereoPair& pair) {
  cv::Mat picture;
  cv::vconcat(pair.left, pair.right, picture);
  return picture;
}

}  // namespace stereolint::test
