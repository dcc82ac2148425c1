#include "support/MovingFootage.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace stereolint::test {

namespace {

constexpr int kMargin = 48;

// Where the camera looks at time t: an irregular path, so that no two
// stretches of frames look alike.
cv::Point cameraAt(int t, Motion motion) {
  if (motion == Motion::SteadyPan) return {kMargin + 3 * t, kMargin};
  if (motion != Motion::Pan) return {kMargin, kMargin};
  const double x = kMargin + 3.0 * t + 8.0 * std::sin(t / 2.7);
  const double y = kMargin + 10.0 * std::sin(t / 4.1);
  return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

// The scene at time t: the canvas with the moving patches drawn on it.
cv::Mat sceneAt(const cv::Mat& canvas, cv::Size view, int t, Motion motion) {
  if (motion != Motion::Objects) return canvas;
  cv::Mat scene = canvas.clone();
  for (int k = 0; k < 3; ++k) {
    const double phase = t / (2.0 + k) + k;
    const cv::Point centre(
        kMargin + view.width / 2 + static_cast<int>(view.width * 0.35 * std::sin(phase)),
        kMargin + view.height / 2 + static_cast<int>(view.height * 0.3 * std::cos(phase * 1.3)));
    cv::rectangle(scene, cv::Rect(centre - cv::Point(20, 15), cv::Size(40, 30)),
                  cv::Scalar(40.0 + 90 * k, 230.0 - 80 * k, 120), cv::FILLED);
  }
  return scene;
}

}  // namespace

std::vector<StereoPair> movingPairs(int frames, cv::Size size, int delay, Motion motion,
                                    int parallax, unsigned seed) {
  const int travel = 3 * (frames + std::abs(delay)) + 2 * kMargin + parallax;
  const cv::Mat canvas =
      texturedPicture(cv::Size(size.width + travel + kMargin, size.height + 3 * kMargin), seed);
  std::vector<StereoPair> pairs;
  for (int t = 0; t < frames; ++t) {
    const int late = t - delay + std::abs(delay);  // never negative
    const int now = t + std::abs(delay);
    const cv::Mat leftScene = sceneAt(canvas, size, now, motion);
    const cv::Mat rightScene = sceneAt(canvas, size, late, motion);
    const cv::Rect leftArea(cameraAt(now, motion), size);
    const cv::Rect rightArea(cameraAt(late, motion) + cv::Point(parallax, 0), size);
    pairs.push_back({leftScene(leftArea).clone(), rightScene(rightArea).clone()});
  }
  return pairs;
}

}  // namespace stereolint::test
