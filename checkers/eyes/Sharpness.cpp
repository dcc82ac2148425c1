#include "checkers/eyes/Sharpness.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace stereolint {

namespace {

// Detail is weighed up to this frequency, cycles per pixel: above it lie
// the noise and the compression's blocks more than the picture.
constexpr double kHighestFrequency = 0.4;
// A patch whose gradient energy (grey levels squared per pixel squared,
// after the window) is below this is flat: no detail to compare.
constexpr double kFlatEnergy = 0.5;
constexpr double kLargestBlur = 8.0;

// The gradient energy of a square patch (mean removed, Hann window) by
// squared frequency: entry n sums the power of the coefficients with
// kx^2 + ky^2 = n, weighed by their squared frequency n / side^2 (cycles
// per pixel). Integer keys make the sum over a blur's response exact and
// cheap: a few hundred terms instead of thousands.
struct Spectrum {
  std::vector<double> weighted;
  double side = 0;
};

Spectrum spectrumOf(const cv::Mat& patch, const cv::Mat& window) {
  CV_Assert(patch.rows == patch.cols);
  cv::Mat centred = patch - cv::mean(patch)[0];
  centred = centred.mul(window);
  cv::Mat complex;
  cv::dft(centred, complex, cv::DFT_COMPLEX_OUTPUT);
  const int side = patch.rows;
  const double highest = kHighestFrequency * side;
  const auto limit = static_cast<int>(highest * highest);
  Spectrum spectrum;
  spectrum.side = side;
  spectrum.weighted.assign(static_cast<size_t>(limit) + 1, 0.0);
  // Rounding to 8 bits adds white noise of variance 1/12 that no blur
  // removes: its expected power, the same at every frequency, is taken off,
  // or a soft patch reads sharper than it is.
  const double rounding = cv::sum(window.mul(window))[0] / 12.0;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const int ky = y <= side / 2 ? y : y - side;
      const int kx = x <= side / 2 ? x : x - side;
      const int n = kx * kx + ky * ky;
      if (n == 0 || n > limit) continue;
      const cv::Vec2f c = complex.at<cv::Vec2f>(y, x);
      const double power = static_cast<double>(c[0]) * c[0] + static_cast<double>(c[1]) * c[1];
      spectrum.weighted[static_cast<size_t>(n)] +=
          (power - rounding) * n / (spectrum.side * spectrum.side);
    }
  for (double& value : spectrum.weighted) value = std::max(0.0, value);
  return spectrum;
}

// The gradient energy of the patch blurred by a Gaussian of `sigma`
// pixels: the power at each frequency f times the blur's response
// exp(-4 pi^2 sigma^2 f^2).
double energy(const Spectrum& s, double sigma) {
  const double k = 4 * CV_PI * CV_PI * sigma * sigma / (s.side * s.side);
  double sum = 0;
  for (size_t n = 1; n < s.weighted.size(); ++n)
    if (s.weighted[n] != 0) sum += s.weighted[n] * std::exp(-k * static_cast<double>(n));
  // The transform is not normalised: Parseval's theorem divides by the
  // squared pixel count, and a gradient is 2 pi f times the amplitude.
  const double pixels = s.side * s.side;
  return 4 * CV_PI * CV_PI * sum / (pixels * pixels);
}

// The blur that brings the sharper spectrum's energy down to `target`.
double blurBetween(const Spectrum& sharper, double target) {
  double low = 0, high = kLargestBlur;
  if (energy(sharper, high) >= target) return high;
  for (int i = 0; i < 16; ++i) {  // to a ten-thousandth of a pixel
    const double mid = (low + high) / 2;
    (energy(sharper, mid) > target ? low : high) = mid;
  }
  return (low + high) / 2;
}

double median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

const char* softerEyeName(SofterEye eye) {
  switch (eye) {
    case SofterEye::Left: return "LEFT";
    case SofterEye::Right: return "RIGHT";
    case SofterEye::None: break;
  }
  return "NONE";
}

std::optional<SharpnessFigures> sharpness(const std::vector<PatchPair>& pairs, cv::Size viewSize,
                                          double scaleRatio) {
  std::vector<double> ratios, blurs;
  std::array<std::vector<double>, 9> zoneRatios;
  cv::Mat window;
  for (const PatchPair& pair : pairs) {
    if (window.size() != pair.left.size())
      cv::createHanningWindow(window, pair.left.size(), CV_32F);
    const Spectrum left = spectrumOf(pair.left, window);
    const Spectrum right = spectrumOf(pair.right, window);
    const double leftEnergy = energy(left, 0), rightEnergy = energy(right, 0);
    if (leftEnergy < kFlatEnergy || rightEnergy < kFlatEnergy) continue;
    const double ratio = std::sqrt(rightEnergy / leftEnergy) / scaleRatio;
    ratios.push_back(ratio);
    // Signed: positive when the right eye is the softer.
    blurs.push_back(rightEnergy < leftEnergy ? blurBetween(left, rightEnergy)
                                             : -blurBetween(right, leftEnergy));
    const int column = std::clamp(static_cast<int>(3 * pair.at.x / viewSize.width), 0, 2);
    const int row = std::clamp(static_cast<int>(3 * pair.at.y / viewSize.height), 0, 2);
    zoneRatios[static_cast<size_t>(3 * row + column)].push_back(ratio);
  }
  if (ratios.empty()) return std::nullopt;
  SharpnessFigures figures;
  figures.patches = static_cast<int>(ratios.size());
  figures.ratio = median(ratios);
  const double blur = median(blurs);
  if (std::fabs(blur) >= kNoBlurBelow) {
    figures.softer = blur > 0 ? SofterEye::Right : SofterEye::Left;
    figures.blurPixels = std::fabs(blur);
  }
  for (size_t zone = 0; zone < 9; ++zone)
    figures.zones[zone] = zoneRatios[zone].empty() ? std::nan("") : median(zoneRatios[zone]);
  return figures;
}

}  // namespace stereolint
