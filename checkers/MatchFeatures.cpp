#include "checkers/MatchFeatures.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "checkers/algorithms/FeatureAlgorithms.h"
#include "sources/Numbers.h"

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

std::unique_ptr<FeatureMatches> matchFeatures(const StereolintInterface& checker, cv::Mat left,
                                              cv::Mat right) {
  const int widthPercent = leadingInteger(checker.getParameter("WIDTH"));
  const int heightPercent = leadingInteger(checker.getParameter("HEIGHT"));
  const std::string detectorName = checker.getParameter("DETECTOR");
  const std::string extractorName = checker.getParameter("EXTRACTOR");
  const std::string matcherName = checker.getParameter("MATCHER");

  std::vector<cv::KeyPoint> allLeft, allRight;
  std::vector<cv::DMatch> allMatches;
  for (const cv::Rect& tile : featureTiles(widthPercent, heightPercent, left.size(), right.size())) {
    const cv::Mat leftTile = left(tile);
    const cv::Mat rightTile = right(tile);

    std::vector<cv::KeyPoint> leftKeypoints, rightKeypoints;
    const cv::Ptr<cv::Feature2D> detector = createDetector(detectorName);
    detector->detect(leftTile, leftKeypoints);
    detector->detect(rightTile, rightKeypoints);

    cv::Mat leftDescriptors, rightDescriptors;
    const cv::Ptr<cv::Feature2D> extractor = createExtractor(extractorName);
    extractor->compute(leftTile, leftKeypoints, leftDescriptors);
    extractor->compute(rightTile, rightKeypoints, rightDescriptors);
    if (leftDescriptors.cols != rightDescriptors.cols) continue;

    std::vector<cv::DMatch> accepted;
    if (!leftDescriptors.empty() && !rightDescriptors.empty()) {
      const cv::Ptr<cv::DescriptorMatcher> matcher = createMatcher(matcherName);
      std::vector<cv::DMatch> forward, backward;
      matcher->match(leftDescriptors, rightDescriptors, forward);
      matcher->match(rightDescriptors, leftDescriptors, backward);
      const float half = static_cast<float>(extractor->descriptorSize() / 2);
      accepted = crossCheckedMatches(forward, backward, half);
    }

    const cv::Point2f origin(static_cast<float>(tile.x), static_cast<float>(tile.y));
    for (cv::KeyPoint& keypoint : leftKeypoints) keypoint.pt += origin;
    for (cv::KeyPoint& keypoint : rightKeypoints) keypoint.pt += origin;
    for (cv::DMatch& match : accepted) {
      match.queryIdx += static_cast<int>(allLeft.size());
      match.trainIdx += static_cast<int>(allRight.size());
      allMatches.push_back(match);
    }
    allLeft.insert(allLeft.end(), leftKeypoints.begin(), leftKeypoints.end());
    allRight.insert(allRight.end(), rightKeypoints.begin(), rightKeypoints.end());
  }
  return std::make_unique<FeatureMatches>(std::move(allLeft), std::move(allRight),
                                          std::move(allMatches));
}

}  // namespace stereolint
