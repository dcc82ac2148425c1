#include "checkers/MatchFeatures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// The algorithms of a matching and the shortcuts it takes. The shortcuts
// give exactly the features and matches of the plain calls; the
// straightforward run (STEREOLINT_SERIAL) takes none, to compare.
struct AlgorithmNames {
  std::string detector, extractor, matcher;
  bool oneCall = false;       // detectAndCompute instead of detect and compute
  bool fastMatching = false;  // matchDescriptors' own searches
};

AlgorithmNames namesAndShortcuts(const CheckerOptions& options) {
  AlgorithmNames names{options.detector, options.extractor, options.matcher};
  const bool shortcuts = !work::serialRequested();
  names.oneCall = shortcuts && describesInOneCall(names.detector, names.extractor);
  names.fastMatching = shortcuts;
  return names;
}

std::vector<cv::DMatch> matchOneWay(const AlgorithmNames& names, const cv::Mat& query,
                                    const cv::Mat& train) {
  if (names.fastMatching) return matchDescriptors(names.matcher, query, train);
  std::vector<cv::DMatch> matches;
  createMatcher(names.matcher)->match(query, train, matches);
  return matches;
}

// What one tile contributes: keypoints in view coordinates and matches
// indexing the tile's own keypoint lists. A tile whose views give
// descriptors of different lengths contributes nothing.
struct TileMatches {
  bool used = false;
  std::vector<cv::KeyPoint> left, right;
  std::vector<cv::DMatch> matches;
};

// Finds and describes the features of both views of a tile; a side whose
// `known` flag is set is taken as given (one-call algorithms only).
// Returns the descriptor size in bytes.
//
// Algorithms are made afresh for every tile: detectors and matchers keep
// state between calls (a trained index, a grid's own detector), and a
// tile must not depend on the ones before it.
int describeTile(const AlgorithmNames& names, const cv::Mat& leftTile, const cv::Mat& rightTile,
                 TileFeatures& left, TileFeatures& right, bool leftKnown, bool rightKnown) {
  if (names.oneCall) {
    const cv::Ptr<cv::Feature2D> algorithm = createDetector(names.detector);
    if (!leftKnown) {
      algorithm->detectAndCompute(leftTile, cv::noArray(), left.keypoints, left.descriptors);
    }
    if (!rightKnown) {
      algorithm->detectAndCompute(rightTile, cv::noArray(), right.keypoints, right.descriptors);
    }
    return algorithm->descriptorSize();
  }
  CV_Assert(!leftKnown && !rightKnown);
  const cv::Ptr<cv::Feature2D> detector = createDetector(names.detector);
  detector->detect(leftTile, left.keypoints);
  detector->detect(rightTile, right.keypoints);
  const cv::Ptr<cv::Feature2D> extractor = createExtractor(names.extractor);
  extractor->compute(leftTile, left.keypoints, left.descriptors);
  extractor->compute(rightTile, right.keypoints, right.descriptors);
  return extractor->descriptorSize();
}

TileMatches matchTile(const AlgorithmNames& names, const TileFeatures& left,
                      const TileFeatures& right, int descriptorSize, cv::Point2f origin) {
  TileMatches tile;
  if (left.descriptors.cols != right.descriptors.cols) return tile;
  tile.used = true;
  tile.left = left.keypoints;
  tile.right = right.keypoints;
  if (!left.descriptors.empty() && !right.descriptors.empty()) {
    const std::vector<cv::DMatch> forward = matchOneWay(names, left.descriptors, right.descriptors);
    const std::vector<cv::DMatch> backward = matchOneWay(names, right.descriptors, left.descriptors);
    const float half = static_cast<float>(descriptorSize / 2);
    tile.matches = crossCheckedMatches(forward, backward, half);
  }
  for (cv::KeyPoint& keypoint : tile.left) keypoint.pt += origin;
  for (cv::KeyPoint& keypoint : tile.right) keypoint.pt += origin;
  return tile;
}

bool samePixels(const cv::Mat& a, const cv::Mat& b) {
  if (a.size() != b.size() || a.type() != b.type()) return false;
  const size_t rowBytes = static_cast<size_t>(a.cols) * a.elemSize();
  for (int y = 0; y < a.rows; ++y) {
    if (std::memcmp(a.ptr(y), b.ptr(y), rowBytes) != 0) return false;
  }
  return true;
}

// Whether the memo holds features of this very matching, for views with
// the pixels it keeps.
bool memoApplies(const FeatureMemo& memo, const AlgorithmNames& names,
                 const std::vector<cv::Rect>& tiles) {
  return names.oneCall && memo.detector == names.detector && memo.extractor == names.extractor &&
         memo.tiles == tiles && memo.left.size() == tiles.size() &&
         memo.right.size() == tiles.size();
}

}  // namespace

std::unique_ptr<FeatureMatches> matchFeatures(const StereolintInterface& checker, cv::Mat left,
                                              cv::Mat right, FeatureMemo* memo) {
  const timing::ScopedStage matching(timing::Stage::Matching);
  const CheckerOptions& options = checker.options();
  const AlgorithmNames names = namesAndShortcuts(options);

  // Tiles are independent of each other: they are matched side by side and
  // joined in tile order, which gives the lists a loop over the tiles gives.
  const std::vector<cv::Rect> tiles =
      featureTiles(options.widthPercent, options.heightPercent, left.size(), right.size());
  const bool applies = memo != nullptr && memoApplies(*memo, names, tiles);
  const bool leftKnown = applies && samePixels(memo->leftView, left);
  const bool rightKnown = applies && samePixels(memo->rightView, right);
  std::vector<TileFeatures> leftFeatures =
      leftKnown ? std::move(memo->left) : std::vector<TileFeatures>(tiles.size());
  std::vector<TileFeatures> rightFeatures =
      rightKnown ? std::move(memo->right) : std::vector<TileFeatures>(tiles.size());
  std::vector<TileMatches> tileMatches(tiles.size());
  work::parallelFor(tiles.size(), [&](size_t t) {
    const cv::Rect& tile = tiles[t];
    const int descriptorSize = describeTile(names, left(tile), right(tile), leftFeatures[t],
                                            rightFeatures[t], leftKnown, rightKnown);
    tileMatches[t] = matchTile(names, leftFeatures[t], rightFeatures[t], descriptorSize,
                               cv::Point2f(static_cast<float>(tile.x), static_cast<float>(tile.y)));
  });
  if (memo != nullptr && names.oneCall) {
    *memo = {left,  right, names.detector, names.extractor, tiles, std::move(leftFeatures),
             std::move(rightFeatures)};
  }

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
