#include "tools/correct/GradeEye.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace stereolint::correct {

namespace {

// Per channel (red, green, blue), each code value after slope, offset and
// power, 0 to 1: the part of the decision that treats channels apart,
// worked out once per code value rather than per pixel.
std::array<std::vector<double>, 3> channelTables(const ColourDecision& decision, int levels) {
  std::array<std::vector<double>, 3> tables;
  const double top = levels - 1;
  for (size_t c = 0; c < 3; ++c) {
    ColourDecision alone;
    alone.slope[0] = decision.slope[c];
    alone.offset[0] = decision.offset[c];
    alone.power[0] = decision.power[c];
    alone.saturation = 1;
    tables[c].resize(static_cast<size_t>(levels));
    for (int v = 0; v < levels; ++v)
      tables[c][static_cast<size_t>(v)] = applyColourDecision(alone, {v / top, 0, 0})[0];
  }
  return tables;
}

template <typename Value>
cv::Mat graded(const cv::Mat& eye, const ColourDecision& decision) {
  constexpr int levels = std::numeric_limits<Value>::max() + 1;
  constexpr double top = levels - 1;
  const std::array<std::vector<double>, 3> tables = channelTables(decision, levels);
  const double saturation = decision.saturation;
  cv::Mat out(eye.size(), eye.type());
  for (int y = 0; y < eye.rows; ++y) {
    const Value* in = eye.ptr<Value>(y);
    Value* to = out.ptr<Value>(y);
    for (int x = 0; x < eye.cols; ++x, in += 3, to += 3) {
      const double rgb[3] = {tables[0][in[2]], tables[1][in[1]], tables[2][in[0]]};
      // The saturation about the Rec. 709 luma of the channels' result.
      const double luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
      for (int c = 0; c < 3; ++c) {
        const double value = std::clamp(luma + saturation * (rgb[c] - luma), 0.0, 1.0);
        to[2 - c] = static_cast<Value>(std::lround(value * top));
      }
    }
  }
  return out;
}

double srgbEncoded(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

double srgbDecoded(double code) {
  return code <= 0.04045 ? code / 12.92 : std::pow((code + 0.055) / 1.055, 2.4);
}

// Float samples of linear light are graded where the decision was fitted:
// on their sRGB code values. What lies above 1 keeps its excess over the
// graded white, so highlights are not clipped.
cv::Mat gradedLinear(const cv::Mat& eye, const ColourDecision& decision) {
  cv::Mat out(eye.size(), eye.type());
  for (int y = 0; y < eye.rows; ++y) {
    const cv::Vec3f* in = eye.ptr<cv::Vec3f>(y);
    cv::Vec3f* to = out.ptr<cv::Vec3f>(y);
    for (int x = 0; x < eye.cols; ++x) {
      std::array<double, 3> code{};
      std::array<double, 3> excess{};
      for (int c = 0; c < 3; ++c) {
        const double value = srgbEncoded(std::max(0.0, static_cast<double>(in[x][2 - c])));
        code[static_cast<size_t>(c)] = std::min(value, 1.0);
        excess[static_cast<size_t>(c)] = std::max(value - 1, 0.0);
      }
      const std::array<double, 3> result = applyColourDecision(decision, code);
      for (size_t c = 0; c < 3; ++c)
        to[x][2 - static_cast<int>(c)] = static_cast<float>(srgbDecoded(result[c] + excess[c]));
    }
  }
  return out;
}

}  // namespace

cv::Mat gradeEye(const cv::Mat& eye, const ColourDecision& decision) {
  if (eye.depth() == CV_32F) return gradedLinear(eye, decision);
  return eye.depth() == CV_16U ? graded<uint16_t>(eye, decision) : graded<uint8_t>(eye, decision);
}

}  // namespace stereolint::correct
