#include "corrections/EyeWarp.h"

#include <cmath>

namespace stereolint::corrections {

namespace {

constexpr double kPi = 3.14159265358979323846;

cv::Matx33d translation(double x, double y) { return {1, 0, x, 0, 1, y, 0, 0, 1}; }

cv::Matx33d normalised(const cv::Matx33d& h) { return h * (1.0 / h(2, 2)); }

}  // namespace

cv::Matx33d rightCorrection(const Misalignment& m, cv::Size view) {
  const cv::Point2d centre(view.width / 2.0, view.height / 2.0);
  // The model's terms from the measures: ROTATION = -atan2(roll, 1 + scale)
  // and SCALE = hypot(roll, 1 + scale) (see DisparityModel).
  const double turn = m.rotation * kPi / 180;
  const double p = m.scale * std::cos(turn);
  const double b = -m.scale * std::sin(turn);
  // DisparityModel::aligned about the centre: x' = p x - b (y - n),
  // y' = b x + p (y - n) with n = -offset / p.
  const double n = -m.vertical / p;
  const cv::Matx33d aligned(p, -b, b * n, b, p, m.vertical, 0, 0, 1);
  // y / (1 - k x) adds k x y to the row to first order: the keystone term.
  const double k = m.keystone / (centre.x * centre.y);
  const cv::Matx33d keystone(1, 0, 0, 0, 1, 0, -k, 0, 1);
  return normalised(translation(centre.x, centre.y) * keystone * aligned *
                    translation(-centre.x, -centre.y));
}

cv::Matx33d halfWarp(const cv::Matx33d& h) {
  // Denman and Beavers' iteration: Y tends to the square root of h, Z to
  // its inverse; a few steps suffice near the identity.
  cv::Matx33d y = normalised(h);
  cv::Matx33d z = cv::Matx33d::eye();
  for (int step = 0; step < 30; ++step) {
    const cv::Matx33d nextY = 0.5 * (y + z.inv());
    const cv::Matx33d nextZ = 0.5 * (z + y.inv());
    const double change = cv::norm(nextY - y, cv::NORM_INF);
    y = nextY;
    z = nextZ;
    if (change < 1e-15) break;
  }
  return normalised(y);
}

cv::Matx33d horizontalMove(double columns) { return translation(columns, 0); }

cv::Matx33d inFileGeometry(const cv::Matx33d& warp, int sx, int sy) {
  const cv::Matx33d toDisplay(sx, 0, (sx - 1) / 2.0, 0, sy, (sy - 1) / 2.0, 0, 0, 1);
  return toDisplay.inv() * warp * toDisplay;
}

cv::Point2d applyWarp(const cv::Matx33d& h, cv::Point2d p) {
  const cv::Vec3d q = h * cv::Vec3d(p.x, p.y, 1);
  return {q[0] / q[2], q[1] / q[2]};
}

WarpReading readWarp(const cv::Matx33d& h, cv::Size view) {
  const cv::Point2d centre(view.width / 2.0, view.height / 2.0);
  const cv::Point2d moved = applyWarp(h, centre);
  // The warp's linear part at the centre, from nearby points.
  const double step = 1;
  const cv::Point2d dx = (applyWarp(h, centre + cv::Point2d(step, 0)) - moved) / step;
  const cv::Point2d dy = (applyWarp(h, centre + cv::Point2d(0, step)) - moved) / step;
  WarpReading reading;
  reading.down = moved.y - centre.y;
  reading.right = moved.x - centre.x;
  // y grows downwards, so a positive angle of the x axis turns clockwise.
  reading.clockwise = std::atan2(dx.y - dy.x, dx.x + dy.y) * 180 / kPi;
  reading.scale = std::sqrt(std::fabs(dx.x * dy.y - dx.y * dy.x));
  return reading;
}

}  // namespace stereolint::corrections
