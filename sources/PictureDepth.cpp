#include "sources/PictureDepth.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <sstream>

namespace stereolint {

namespace {

std::string shortNumber(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

double srgbOfLinear(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// The sRGB curve from linear 0-1 to 16-bit codes, sampled at 2^16 + 1
// points and interpolated between them: a power per sample would take
// longer than decoding the file, and the curve bends so little between two
// points that the interpolated code is off by less than 0.01.
class SrgbTable {
 public:
  static constexpr int kSteps = 65536;
  SrgbTable() : points(kSteps + 2) {
    for (int i = 0; i <= kSteps; ++i) points[i] = static_cast<float>(65535.0 * srgbOfLinear(double(i) / kSteps));
    points[kSteps + 1] = points[kSteps];
  }
  // `linear` already clamped to 0-1.
  std::uint16_t code(float linear) const {
    const float position = linear * kSteps;
    const int below = static_cast<int>(position);
    const float part = position - static_cast<float>(below);
    const float value = points[below] + part * (points[below + 1] - points[below]);
    return static_cast<std::uint16_t>(value + 0.5f);
  }

 private:
  std::vector<float> points;
};

const SrgbTable& srgbTable() {
  static const SrgbTable table;
  return table;
}

// The share of the finite samples that may lie beyond the range a float
// picture is scaled by at either end: a hot pixel, a firefly or one wild
// negative value must not darken or flatten the whole view.
constexpr double kOutlierShare = 0.001;
// At most this many samples are looked at for the range, evenly spread.
constexpr size_t kRangeSamples = 1 << 20;

// The 0.1st and 99.9th percentiles of the finite samples of a float
// picture (from an even spread of at most kRangeSamples of them); 0 and 0
// when it holds none.
void robustRange(const cv::Mat& samples, float& low, float& high) {
  const size_t total = samples.total() * static_cast<size_t>(samples.channels());
  const size_t stride = std::max<size_t>(1, total / kRangeSamples);
  std::vector<float> values;
  values.reserve(std::min(total, kRangeSamples + 1));
  size_t index = 0;
  for (int y = 0; y < samples.rows; ++y) {
    const float* row = samples.ptr<float>(y);
    const int count = samples.cols * samples.channels();
    for (int i = 0; i < count; ++i, ++index) {
      if (index % stride == 0 && std::isfinite(row[i])) values.push_back(row[i]);
    }
  }
  if (values.empty()) {
    low = high = 0;
    return;
  }
  const auto at = [&values](double share) {
    const auto k = static_cast<size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
  };
  low = at(kOutlierShare);
  high = at(1.0 - kOutlierShare);
}

cv::Mat floatToSixteenBits(const cv::Mat& picture, const std::string& path,
                           std::vector<std::string>& remarks) {
  cv::Mat samples = picture;
  if (picture.depth() != CV_32F) picture.convertTo(samples, CV_32F);
  float smallest = 0;
  float largest = 0;
  robustRange(samples, smallest, largest);
  // 0 and 1 stay inside the range, so black stays black and a picture that
  // only overshoots a little is not stretched.
  const double lower = std::min(0.0f, smallest);
  const double upper = std::max(1.0f, largest);
  if (lower < 0 || upper > 1) {
    remarks.push_back(path + " holds float values from " + shortNumber(lower) + " to " +
                      shortNumber(upper) + "; they are scaled by that range");
  }
  const auto scale = static_cast<float>(1.0 / (upper - lower));
  const auto offset = static_cast<float>(-lower / (upper - lower));
  const SrgbTable& table = srgbTable();
  const int channels = picture.channels();
  cv::Mat sixteen(picture.size(), CV_16UC(channels));
  for (int y = 0; y < samples.rows; ++y) {
    const float* in = samples.ptr<float>(y);
    auto* out = sixteen.ptr<std::uint16_t>(y);
    const int count = samples.cols * channels;
    for (int i = 0; i < count; ++i) {
      // NaN fails both comparisons and becomes 0; infinities are clamped.
      const float scaled = in[i] * scale + offset;
      const float clamped = scaled >= 0.0f ? std::min(scaled, 1.0f) : 0.0f;
      const bool alpha = channels == 4 && i % 4 == 3;
      out[i] = alpha ? static_cast<std::uint16_t>(clamped * 65535.0f + 0.5f) : table.code(clamped);
    }
  }
  return sixteen;
}

}  // namespace

cv::Mat scaleToSixteenBits(const cv::Mat& picture, int bits) {
  if (bits >= 16) return picture;
  // A table of exact integer results: a float scale can round a value
  // that lies close to one half the wrong way.
  const std::uint32_t top = (1u << bits) - 1;
  std::vector<std::uint16_t> table(65536, 65535);
  for (std::uint32_t v = 0; v <= top; ++v) {
    table[v] = static_cast<std::uint16_t>((v * 65535u + top / 2) / top);
  }
  cv::Mat scaled(picture.size(), picture.type());
  for (int y = 0; y < picture.rows; ++y) {
    const auto* in = picture.ptr<std::uint16_t>(y);
    auto* out = scaled.ptr<std::uint16_t>(y);
    const int count = picture.cols * picture.channels();
    for (int i = 0; i < count; ++i) out[i] = table[in[i]];
  }
  return scaled;
}

Expected<cv::Mat> toCheckerDepth(const cv::Mat& picture, const std::string& path,
                                 std::vector<std::string>& remarks) {
  switch (picture.depth()) {
    case CV_8U:
    case CV_16U:
      return picture;
    case CV_16F:
    case CV_32F:
    case CV_64F:
      return floatToSixteenBits(picture, path, remarks);
    default:
      return Failure{"Cannot read the image " + path +
                     ": its samples are signed integers, which cannot be measured", "input"};
  }
}

}  // namespace stereolint
