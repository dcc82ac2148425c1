#include "checkers/eyes/Sharpness.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace stereolint {

namespace {

// Detail is weighed up to this frequency, cycles per pixel: above it lie
// the noise and the compression's blocks more than the picture.
constexpr double kHighestFrequency = 0.4;
// A patch whose gradient energy (grey levels squared per pixel squared,
// after the window) is below this is flat: no detail to compare.
constexpr double kFlatEnergy = 0.5;
constexpr double kLargestBlur = 8.0;

// The power of a square patch (mean removed, Hann window) by squared
// frequency: entry n sums the power of the coefficients with
// kx^2 + ky^2 = n, at the squared frequency n / side^2 (cycles per pixel).
// Integer keys make the sum over a blur's response exact and cheap: a few
// hundred terms instead of thousands.
struct Spectrum {
  std::vector<double> power;
  double side = 0;
};

// The Hann window of the patches, and the power that rounding to 8 bits
// adds at every frequency once windowed: white noise of variance 1/12
// that no blur removes.
struct Window {
  cv::Mat weights;
  double rounding = 0;
};

Window windowOf(cv::Size size) {
  Window window;
  cv::createHanningWindow(window.weights, size, CV_32F);
  window.rounding = cv::sum(window.weights.mul(window.weights))[0] / 12.0;
  return window;
}

Spectrum spectrumOf(const cv::Mat& patch, const Window& window) {
  CV_Assert(patch.rows == patch.cols);
  cv::Mat centred = patch - cv::mean(patch)[0];
  centred = centred.mul(window.weights);
  cv::Mat complex;
  cv::dft(centred, complex, cv::DFT_COMPLEX_OUTPUT);
  const int side = patch.rows;
  const double highest = kHighestFrequency * side;
  const auto limit = static_cast<int>(highest * highest);
  Spectrum spectrum;
  spectrum.side = side;
  spectrum.power.assign(static_cast<size_t>(limit) + 1, 0.0);
  // Only rows and columns whose frequency alone is within the limit can
  // hold a coefficient within it; they are visited in the transform's own
  // order, so the sums are the same as over the whole plane.
  const auto frequencyOf = [side](int i) { return i <= side / 2 ? i : i - side; };
  std::vector<int> within;
  for (int i = 0; i < side; ++i)
    if (frequencyOf(i) * frequencyOf(i) <= limit) within.push_back(i);
  // The rounding's expected power is taken off, or a soft patch reads
  // sharper than it is.
  for (const int y : within) {
    const auto* row = complex.ptr<cv::Vec2f>(y);
    const int ky = frequencyOf(y);
    for (const int x : within) {
      const int kx = frequencyOf(x);
      const int n = kx * kx + ky * ky;
      if (n == 0 || n > limit) continue;
      const cv::Vec2f c = row[x];
      const double power = static_cast<double>(c[0]) * c[0] + static_cast<double>(c[1]) * c[1];
      spectrum.power[static_cast<size_t>(n)] += power - window.rounding;
    }
  }
  for (double& value : spectrum.power) value = std::max(0.0, value);
  return spectrum;
}

// The patch's power, and its gradient energy, after a Gaussian blur of
// `sigma` pixels: the power at each frequency f times the blur's response
// in power, exp(-4 pi^2 sigma^2 f^2).
struct Energies {
  double variance = 0;  // grey levels squared
  double gradient = 0;  // grey levels squared per pixel squared
};

Energies energies(const Spectrum& s, double sigma) {
  // The response exp(-k n) as powers of exp(-k), one product per term.
  const double step = std::exp(-4 * CV_PI * CV_PI * sigma * sigma / (s.side * s.side));
  double response = 1, variance = 0, weighted = 0;
  for (size_t n = 1; n < s.power.size(); ++n) {
    response *= step;
    const double blurred = s.power[n] * response;
    variance += blurred;
    weighted += blurred * static_cast<double>(n);
  }
  // The transform is not normalised: Parseval's theorem divides by the
  // squared pixel count, and a gradient is 2 pi f times the amplitude.
  const double pixels = s.side * s.side;
  return {variance / (pixels * pixels),
          4 * CV_PI * CV_PI * weighted / (s.side * s.side) / (pixels * pixels)};
}

// How fine the patch's detail is: gradient energy over power, which a
// difference of contrast between the eyes leaves alone and a blur lowers.
double fineness(const Energies& e) { return e.variance > 0 ? e.gradient / e.variance : 0; }

// The blur that brings the sharper spectrum's fineness down to `target`.
double blurBetween(const Spectrum& sharper, double target) {
  double low = 0, high = kLargestBlur;
  if (fineness(energies(sharper, high)) >= target) return high;
  for (int i = 0; i < 16; ++i) {  // to a ten-thousandth of a pixel
    const double mid = (low + high) / 2;
    (fineness(energies(sharper, mid)) > target ? low : high) = mid;
  }
  return (low + high) / 2;
}

double median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// One pair of patches compared: the right eye's detail over the left's,
// and the blur between them, signed (positive when the right eye is the
// softer).
struct Compared {
  double ratio = 1;
  double blur = 0;
};

std::optional<Compared> compare(const PatchPair& pair, const Window& window, double scaleRatio) {
  const Spectrum left = spectrumOf(pair.left, window);
  const Spectrum right = spectrumOf(pair.right, window);
  const Energies leftEnergies = energies(left, 0), rightEnergies = energies(right, 0);
  if (leftEnergies.gradient < kFlatEnergy || rightEnergies.gradient < kFlatEnergy)
    return std::nullopt;
  Compared c;
  c.ratio = std::sqrt(rightEnergies.gradient / leftEnergies.gradient) / scaleRatio;
  // The blur is told by fineness, not by energy: the colour decision that
  // matches the right patch's contrast is fitted on pixels the blur has
  // softened, and over-rates its slope by as much as the blur lowers the
  // contrast of detail. A scale between the views changes the fineness by
  // its square.
  const double squaredScale = scaleRatio * scaleRatio;
  const double leftFineness = fineness(leftEnergies);
  const double rightFineness = fineness(rightEnergies) / squaredScale;
  c.blur = rightFineness < leftFineness ? blurBetween(left, rightFineness)
                                        : -blurBetween(right, leftFineness * squaredScale);
  return c;
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
  Window window;
  for (const PatchPair& pair : pairs) {
    if (window.weights.size() != pair.left.size()) window = windowOf(pair.left.size());
    const auto c = compare(pair, window, scaleRatio);
    if (!c) continue;
    ratios.push_back(c->ratio);
    blurs.push_back(c->blur);
    const int column = std::clamp(static_cast<int>(3 * pair.at.x / viewSize.width), 0, 2);
    const int row = std::clamp(static_cast<int>(3 * pair.at.y / viewSize.height), 0, 2);
    zoneRatios[static_cast<size_t>(3 * row + column)].push_back(c->ratio);
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
