#include "checkers/MatchFeatures.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "checkers/algorithms/FeatureAlgorithms.h"
#include "util/Parallel.h"
#include "util/StageTimes.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

float smallestDistance(const std::vector<cv::DMatch>& matches) {
  float smallest = std::numeric_limits<float>::max();
  for (const cv::DMatch& match : matches) smallest = std::min(smallest, match.distance);
  return smallest;
}

}  // namespace

std::vector<cv::DMatch> crossCheckedMatches(const std::vector<cv::DMatch>& forward,
                                            const std::vector<cv::DMatch>& backward, float half) {
  const float minForward = smallestDistance(forward);
  const float minBackward = smallestDistance(backward);
  std::vector<cv::DMatch> accepted;
  for (const cv::DMatch& f : forward) {
    if (f.trainIdx < 0 || static_cast<size_t>(f.trainIdx) >= backward.size()) continue;
    const cv::DMatch& b = backward[static_cast<size_t>(f.trainIdx)];
    if (b.trainIdx == f.queryIdx && b.distance <= minBackward && b.distance <= half &&
        f.distance <= minForward && f.distance <= half) {
      accepted.push_back(f);
    }
  }
  return accepted;
}

std::vector<cv::Rect> featureTiles(int widthPercent, int heightPercent, cv::Size left,
                                   cv::Size right) {
  // 64-bit arithmetic: a large percentage times a large view must not wrap.
  const std::int64_t m = kTileMargin;
  const std::int64_t tw = std::int64_t{widthPercent} * left.width / 100;
  const std::int64_t th = std::int64_t{heightPercent} * left.height / 100;
  std::vector<cv::Rect> tiles;
  if (tw < 1 || th < 1) return tiles;
  for (std::int64_t cx = m + tw; cx + m + tw < left.width && cx + m + tw < right.width; cx += tw) {
    for (std::int64_t cy = m + th; cy + m + th < left.height && cy + m + th < right.height;
         cy += th) {
      tiles.emplace_back(static_cast<int>(cx - m - tw), static_cast<int>(cy - m - th),
                         static_cast<int>(2 * (m + tw)), static_cast<int>(2 * (m + th)));
    }
  }
  return tiles;
}

namespace {

struct AlgorithmNames {
  std::string detector, extractor, matcher;
};

// What one tile contributes: keypoints in view coordinates and matches
// indexing the tile's own keypoint lists. A tile whose views give
// descriptors of different lengths contributes nothing.
struct TileMatches {
  bool used = false;
  std::vector<cv::KeyPoint> left, right;
  std::vector<cv::DMatch> matches;
};

TileMatches matchTile(const AlgorithmNames& names, const cv::Mat& leftTile,
                      const cv::Mat& rightTile, cv::Point2f origin) {
  // Algorithms are made afresh for every tile: detectors and matchers keep
  // state between calls (a trained index, a grid's own detector), and a
  // tile must not depend on the ones before it.
  TileMatches tile;
  cv::Mat leftDescriptors, rightDescriptors;
  int descriptorSize = 0;
  if (describesInOneCall(names.detector, names.extractor)) {
    const cv::Ptr<cv::Feature2D> algorithm = createDetector(names.detector);
    algorithm->detectAndCompute(leftTile, cv::noArray(), tile.left, leftDescriptors);
    algorithm->detectAndCompute(rightTile, cv::noArray(), tile.right, rightDescriptors);
    descriptorSize = algorithm->descriptorSize();
  } else {
    const cv::Ptr<cv::Feature2D> detector = createDetector(names.detector);
    detector->detect(leftTile, tile.left);
    detector->detect(rightTile, tile.right);
    const cv::Ptr<cv::Feature2D> extractor = createExtractor(names.extractor);
    extractor->compute(leftTile, tile.left, leftDescriptors);
    extractor->compute(rightTile, tile.right, rightDescriptors);
    descriptorSize = extractor->descriptorSize();
  }
  if (leftDescriptors.cols != rightDescriptors.cols) return tile;
  tile.used = true;

  if (!leftDescriptors.empty() && !rightDescriptors.empty()) {
    const std::vector<cv::DMatch> forward =
        matchDescriptors(names.matcher, leftDescriptors, rightDescriptors);
    const std::vector<cv::DMatch> backward =
        matchDescriptors(names.matcher, rightDescriptors, leftDescriptors);
    const float half = static_cast<float>(descriptorSize / 2);
    tile.matches = crossCheckedMatches(forward, backward, half);
  }
  for (cv::KeyPoint& keypoint : tile.left) keypoint.pt += origin;
  for (cv::KeyPoint& keypoint : tile.right) keypoint.pt += origin;
  return tile;
}

}  // namespace

std::unique_ptr<FeatureMatches> matchFeatures(const StereolintInterface& checker, cv::Mat left,
                                              cv::Mat right) {
  const timing::ScopedStage matching(timing::Stage::Matching);
  const CheckerOptions& options = checker.options();
  const AlgorithmNames names{options.detector, options.extractor, options.matcher};

  // Tiles are independent of each other: they are matched side by side and
  // joined in tile order, which gives the lists a loop over the tiles gives.
  const std::vector<cv::Rect> tiles =
      featureTiles(options.widthPercent, options.heightPercent, left.size(), right.size());
  std::vector<TileMatches> tileMatches(tiles.size());
  work::parallelFor(tiles.size(), [&](size_t t) {
    const cv::Rect& tile = tiles[t];
    tileMatches[t] = matchTile(names, left(tile), right(tile),
                               cv::Point2f(static_cast<float>(tile.x), static_cast<float>(tile.y)));
  });

  std::vector<cv::KeyPoint> allLeft, allRight;
  std::vector<cv::DMatch> allMatches;
  for (TileMatches& tile : tileMatches) {
    if (!tile.used) continue;
    for (cv::DMatch& match : tile.matches) {
      match.queryIdx += static_cast<int>(allLeft.size());
      match.trainIdx += static_cast<int>(allRight.size());
      allMatches.push_back(match);
    }
    allLeft.insert(allLeft.end(), tile.left.begin(), tile.left.end());
    allRight.insert(allRight.end(), tile.right.begin(), tile.right.end());
  }
  return std::make_unique<FeatureMatches>(std::move(allLeft), std::move(allRight),
                                          std::move(allMatches));
}

}  // namespace stereolint
