#include "checkers/alignment/AlignmentDepth.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <opencv2/imgproc.hpp>

#include "checkers/alignment/AlignmentPictures.h"
#include "results/ViewPixels.h"
#include "checkers/depth/DepthPictures.h"
#include "checkers/depth/ParallaxHistogram.h"
#include "checkers/depth/ParallaxMap.h"

namespace stereolint {

namespace {

namespace f = depth_fields;

// The search reaches beyond the parallax of the fit's inliers by this share
// of the view width plus a quarter of their span on each side: content
// nearer or farther than the matched features.
constexpr double kSearchMarginPercent = 1.0;
constexpr double kSearchMarginShare = 0.25;
// Each widening doubles the span searched at most; two reach four times the
// span the features gave.
constexpr int kSearchWidenings = 2;

// The fitted model for views shrunk by `scale`: positions and the offset
// scale with the view, the keystone term (rows per pixel squared) inversely.
DisparityModel shrunkModel(const DisparityModel& model, double scale) {
  DisparityModel shrunk = model;
  shrunk.centre = (model.centre + cv::Point2d(0.5, 0.5)) * scale - cv::Point2d(0.5, 0.5);
  shrunk.offset = model.offset * scale;
  shrunk.keystone = model.keystone / scale;
  return shrunk;
}

// The parallax range of the fit's inliers once the misalignment is undone,
// % of the view width; the 2nd and 98th percentiles when no inlier is known.
std::pair<double, double> inlierRange(const AlignmentMeasurement& m, int width) {
  double nearest = m.nearParallax, farthest = m.farParallax;
  for (size_t i = 0; i < m.pairs.size() && i < m.inliers.size(); ++i) {
    if (!m.inliers[i]) continue;
    const double p = (m.model.aligned(m.pairs[i].right).x - m.pairs[i].left.x) * 100.0 / width;
    nearest = std::min(nearest, p);
    farthest = std::max(farthest, p);
  }
  return {nearest, farthest};
}

ParallaxSearch searchFor(const AlignmentMeasurement& m, const AlignmentOptions& options,
                         int viewWidth, int mapWidth) {
  const auto [nearestInlier, farthestInlier] = inlierRange(m, viewWidth);
  const double margin =
      kSearchMarginPercent + kSearchMarginShare * (farthestInlier - nearestInlier);
  const double nearest = std::max(-options.parallaxPercent, nearestInlier - margin);
  const double farthest = std::min(options.parallaxPercent, farthestInlier + margin);
  const double toPixels = mapWidth / 100.0;
  return {static_cast<int>(std::floor(nearest * toPixels)),
          static_cast<int>(std::ceil(farthest * toPixels))};
}

double elapsedMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

DepthMeasurement measureDepth(const cv::Mat& left, const cv::Mat& right,
                              const AlignmentMeasurement& m, const AlignmentOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  DepthMeasurement depth;
  depth.status = m.status == FrameStatus::Identical ? FrameStatus::Identical
                                                    : FrameStatus::Inconclusive;
  if (!m.fitted || !m.parallaxKnown || m.status == FrameStatus::Identical) {
    if (depth.status == FrameStatus::Inconclusive)
      depth.reason = m.reason.value_or(Inconclusive::NoMeasurement);
    depth.milliseconds = elapsedMs(start);
    return depth;
  }
  // Shrunk first, converted after: the views are matched at a fraction of
  // their size, so every conversion works on that fraction.
  const double scale = parallaxWorkingScale(left.cols);
  depth.leftColour = toColour(shrinkByArea(toEightBit(left), scale));
  depth.rightColour =
      correctRight(toColour(shrinkByArea(toEightBit(right), scale)), shrunkModel(m.model, scale));
  depth.leftGrey = toGrey(depth.leftColour);
  const cv::Mat rightGrey = toGrey(depth.rightColour);
  depth.masks = windowMasks(depth.leftGrey, rightGrey);
  depth.search = searchFor(m, options, left.cols, depth.leftGrey.cols);
  depth.map = parallaxMap(depth.leftGrey, rightGrey, depth.search);
  // Features miss content that is small or plain, so the nearest or farthest
  // content can lie beyond every matched feature; the map shows it piling up
  // against the bound, and the search is widened there.
  const int limit =
      static_cast<int>(std::ceil(options.parallaxPercent * depth.leftGrey.cols / 100.0));
  for (int round = 0; round < kSearchWidenings; ++round) {
    const ParallaxSearch wider = widenedSearch(depth.map, depth.search, limit);
    if (wider.nearest == depth.search.nearest && wider.farthest == depth.search.farthest) break;
    depth.search = wider;
    depth.map = parallaxMap(depth.leftGrey, rightGrey, depth.search);
  }
  // Black at the right view's edges (a floating window, or what its
  // correction left) holds nothing to match.
  if (depth.masks.rightViewLeft > 0 || depth.masks.rightViewRight > 0)
    dropMatchesOutside(depth.map, depth.masks.rightViewLeft,
                       rightGrey.cols - 1 - depth.masks.rightViewRight);
  depth.figures = depthFigures(depth.map, depth.leftGrey, depth.masks, 1.0 / scale);
  depth.evidence = eyeOrderEvidence(depth.map, depth.leftColour);
  if (depth.figures && options.screenWidthMm)
    depth.divergenceMm = depth.figures->farPercent / 100.0 * *options.screenWidthMm;
  if (!depth.figures || depth.figures->coveragePercent < kMinimumCoveragePercent) {
    depth.reason = Inconclusive::LowCoverage;
  } else {
    depth.status = FrameStatus::Ok;
    const bool linedUp = m.status == FrameStatus::Ok || m.reason == Inconclusive::FitUncertain;
    depth.eyeOrderReadable = linedUp &&
                             depth.figures->coveragePercent >= kEyeOrderMinimumCoveragePercent;
    if (depth.eyeOrderReadable) depth.eyeOrder = eyeOrder(depth.evidence);
  }
  depth.milliseconds = elapsedMs(start);
  return depth;
}

Result::KeyValues depthValues(const DepthMeasurement& depth) {
  Result::KeyValues list;
  const auto add = [&list](const char* key, double value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  const auto text = [&list](const char* key, const std::string& value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  if (const auto& figures = depth.figures) {
    add(f::kNear, figures->nearPercent);
    add(f::kMedian, figures->medianPercent);
    add(f::kFar, figures->farPercent);
    add(f::kCoverage, figures->coveragePercent);
    add(f::kWindowLeft, figures->windowLeftPercent);
    add(f::kWindowRight, figures->windowRightPercent);
    add(f::kFloatingWindow, figures->floatingWindowPixels);
    if (depth.divergenceMm) add(f::kDivergence, *depth.divergenceMm);
    text(f::kEyeOrder, eyeOrderName(depth.eyeOrder));
    add(f::kEyeOrderScore, eyeOrderScore(depth.evidence));
  }
  text(kStatusField, statusText(depth.status, depth.reason));
  add(kTimeField, depth.milliseconds);
  return list;
}

std::optional<DepthDetail> depthDetail(const DepthMeasurement& depth) {
  if (depth.status != FrameStatus::Ok || !depth.figures || depth.map.empty()) return std::nullopt;
  DepthDetail detail;
  // The bins span the whole search, one map pixel at the least, so that
  // every frame's histogram shows where its parallax could have been.
  const double from = depth.search.nearest;
  const double to = std::max(static_cast<double>(depth.search.farthest), from + 1.0);
  const std::vector<double> shares =
      parallaxShares(depth.map, from, to, ParallaxHistogram::kBins);
  const double toPercent = 100.0 / depth.map.cols;
  detail.histogram.fromPercent = from * toPercent;
  detail.histogram.toPercent = to * toPercent;
  for (size_t i = 0; i < shares.size(); ++i)
    detail.histogram.shares[i] =
        static_cast<std::uint16_t>(std::lround(shares[i] * ParallaxHistogram::kWhole));
  detail.windowLeftPercent = depth.figures->windowLeftPercent;
  detail.windowRightPercent = depth.figures->windowRightPercent;
  detail.floatingWindowPixels = depth.figures->floatingWindowPixels;
  return detail;
}

Result::KeyImages depthPictures(const DepthMeasurement& depth) {
  Result::KeyImages list;
  if (depth.map.empty()) return list;
  list.push_back(std::make_unique<Result::KeyImage>("PARALLAX_MAP", parallaxPicture(depth.map)));
  list.push_back(std::make_unique<Result::KeyImage>(
      "WINDOW", windowPicture(depth.leftColour, depth.leftGrey, depth.map, depth.masks)));
  return list;
}

}  // namespace stereolint
