#include "checkers/alignment/AlignmentSharpness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "results/ViewPixels.h"
#include "checkers/eyes/CdlFit.h"

namespace stereolint {

namespace {

// A patch is a candidate when this share of its footprint in the map has a
// parallax and its grey levels vary by at least kLeastDetail there.
constexpr double kLeastMatchedShare = 0.8;
constexpr double kLeastDetail = 6.0;

struct Candidate {
  cv::Point centre;  // in the left view
  double detail;     // grey standard deviation in the map
};

cv::Mat greyPatch(const cv::Mat& view, const cv::Rect& box, const ColourGrade* grade) {
  cv::Mat colour = toColour(toEightBit(view(box)));
  if (grade != nullptr) colour = (*grade)(colour);
  cv::Mat grey, patch;
  cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
  grey.convertTo(patch, CV_32F);
  return patch;
}

// The candidates of each zone, the most detailed first.
std::array<std::vector<Candidate>, 9> candidates(cv::Size view, const DepthMeasurement& depth) {
  const double scale = static_cast<double>(depth.map.cols) / view.width;
  const cv::Mat matched = depth.map == depth.map;  // NaN is unequal to itself
  const cv::Mat& leftGrey = depth.leftGrey;
  const int half = kSharpnessPatch / 2;
  const int footprint = std::max(3, static_cast<int>(std::lround(kSharpnessPatch * scale)));
  std::array<std::vector<Candidate>, 9> zones;
  for (int y = half; y + half <= view.height; y += kSharpnessPatch)
    for (int x = half; x + half <= view.width; x += kSharpnessPatch) {
      const cv::Rect box(static_cast<int>((x - half) * scale), static_cast<int>((y - half) * scale),
                         footprint, footprint);
      if ((box & cv::Rect({}, depth.map.size())) != box) continue;
      if (cv::countNonZero(matched(box)) < kLeastMatchedShare * box.area()) continue;
      cv::Scalar mean, deviation;
      cv::meanStdDev(leftGrey(box), mean, deviation);
      if (deviation[0] < kLeastDetail) continue;
      const int zone = std::min(2, 3 * y / view.height) * 3 + std::min(2, 3 * x / view.width);
      zones[static_cast<size_t>(zone)].push_back({{x, y}, deviation[0]});
    }
  for (auto& zone : zones)
    std::sort(zone.begin(), zone.end(),
              [](const Candidate& a, const Candidate& b) { return a.detail > b.detail; });
  return zones;
}

// The parallax at the candidate's centre, pixels of the view: the median of
// the map's values about it.
std::optional<double> parallaxAt(const DepthMeasurement& depth, cv::Point centre, double scale) {
  const int x = static_cast<int>(centre.x * scale), y = static_cast<int>(centre.y * scale);
  std::vector<float> values;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const int px = std::clamp(x + dx, 0, depth.map.cols - 1);
      const int py = std::clamp(y + dy, 0, depth.map.rows - 1);
      const float value = depth.map.at<float>(py, px);
      if (!std::isnan(value)) values.push_back(value);
    }
  if (values.empty()) return std::nullopt;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                   values.end());
  return values[values.size() / 2] / scale;
}

}  // namespace

std::vector<PatchPair> sharpnessPatches(const cv::Mat& left, const cv::Mat& right,
                                        const AlignmentMeasurement& m,
                                        const DepthMeasurement& depth,
                                        const ColourGrade& grade) {
  std::vector<PatchPair> pairs;
  if (depth.map.empty() || left.size() != right.size()) return pairs;
  const double scale = static_cast<double>(depth.map.cols) / left.cols;
  const cv::Rect view({}, left.size());
  const int half = kSharpnessPatch / 2;
  for (const auto& zone : candidates(left.size(), depth)) {
    int taken = 0;
    for (const Candidate& candidate : zone) {
      if (taken == kSharpnessPatchesPerZone) break;
      const auto parallax = parallaxAt(depth, candidate.centre, scale);
      if (!parallax) continue;
      const cv::Point2d source = m.model.unaligned(
          {candidate.centre.x + *parallax, static_cast<double>(candidate.centre.y)});
      const cv::Rect leftBox(candidate.centre.x - half, candidate.centre.y - half,
                             kSharpnessPatch, kSharpnessPatch);
      const cv::Rect rightBox(static_cast<int>(std::lround(source.x)) - half,
                              static_cast<int>(std::lround(source.y)) - half, kSharpnessPatch,
                              kSharpnessPatch);
      if ((leftBox & view) != leftBox || (rightBox & view) != rightBox) continue;
      pairs.push_back({greyPatch(left, leftBox, nullptr), greyPatch(right, rightBox, &grade),
                       cv::Point2d(candidate.centre)});
      ++taken;
    }
  }
  return pairs;
}

}  // namespace stereolint
