#include "checkers/eyes/Ciede2000.h"

#include <cmath>

namespace stereolint {

namespace {

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) { return degrees * kPi / 180.0; }
double degrees(double radians) { return radians * 180.0 / kPi; }

// Hue angle in degrees, 0 to 360; 0 for a neutral colour.
double hue(double b, double a) {
  if (a == 0 && b == 0) return 0;
  const double h = degrees(std::atan2(b, a));
  return h < 0 ? h + 360.0 : h;
}

}  // namespace

// The formula as Sharma, Wu and Dalal set it out (2005), step by step.
double ciede2000(const cv::Vec3f& lab1, const cv::Vec3f& lab2) {
  const double l1 = lab1[0], a1 = lab1[1], b1 = lab1[2];
  const double l2 = lab2[0], a2 = lab2[1], b2 = lab2[2];
  const double c1 = std::hypot(a1, b1), c2 = std::hypot(a2, b2);
  const double cMean7 = std::pow((c1 + c2) / 2.0, 7.0);
  const double g = 0.5 * (1.0 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7.0))));
  const double a1p = (1.0 + g) * a1, a2p = (1.0 + g) * a2;
  const double c1p = std::hypot(a1p, b1), c2p = std::hypot(a2p, b2);
  const double h1p = hue(b1, a1p), h2p = hue(b2, a2p);

  const double dL = l2 - l1;
  const double dC = c2p - c1p;
  double dh = 0;
  if (c1p * c2p != 0) {
    dh = h2p - h1p;
    if (dh > 180) dh -= 360;
    else if (dh < -180) dh += 360;
  }
  const double dH = 2.0 * std::sqrt(c1p * c2p) * std::sin(radians(dh / 2.0));

  const double lMean = (l1 + l2) / 2.0;
  const double cMean = (c1p + c2p) / 2.0;
  double hMean = h1p + h2p;
  if (c1p * c2p != 0) {
    if (std::fabs(h1p - h2p) <= 180) hMean /= 2.0;
    else hMean = hMean < 360 ? (hMean + 360) / 2.0 : (hMean - 360) / 2.0;
  }
  const double t = 1.0 - 0.17 * std::cos(radians(hMean - 30)) +
                   0.24 * std::cos(radians(2 * hMean)) + 0.32 * std::cos(radians(3 * hMean + 6)) -
                   0.20 * std::cos(radians(4 * hMean - 63));
  const double dTheta = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2.0));
  const double cMeanP7 = std::pow(cMean, 7.0);
  const double rc = 2.0 * std::sqrt(cMeanP7 / (cMeanP7 + std::pow(25.0, 7.0)));
  const double lOff = (lMean - 50.0) * (lMean - 50.0);
  const double sl = 1.0 + 0.015 * lOff / std::sqrt(20.0 + lOff);
  const double sc = 1.0 + 0.045 * cMean;
  const double sh = 1.0 + 0.015 * cMean * t;
  const double rt = -std::sin(radians(2.0 * dTheta)) * rc;
  const double x = dL / sl, y = dC / sc, z = dH / sh;
  return std::sqrt(x * x + y * y + z * z + rt * y * z);
}

}  // namespace stereolint
