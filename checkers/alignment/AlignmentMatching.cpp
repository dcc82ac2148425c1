#include "checkers/alignment/AlignmentMatching.h"

#include <algorithm>
#include <cmath>
#include <opencv2/core/hal/hal.hpp>
#include <opencv2/features2d.hpp>

namespace stereolint {

namespace {

// The best candidate must be this much closer than the next one (Lowe's
// ratio test on Hamming distances).
constexpr double kRatio = 0.8;
// Matches farther than this many of the 256 descriptor bits are refused.
constexpr int kMaxDistance = 64;
// Candidates this close (pixels) to the best are the same feature found
// twice, not a rival.
constexpr float kSameFeature = 3.0f;
// FAST threshold: low, so that soft or dark footage still gives features;
// the strongest are kept.
constexpr int kFastThreshold = 10;

struct ViewFeatures {
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
  // Keypoint indices sorted by row, and their rows in that order.
  std::vector<int> byRow;
  std::vector<float> rows;
};

// Grid over the view in which the strongest features are spread out, so
// that one busy region cannot take them all.
constexpr int kGridColumns = 8;
constexpr int kGridRows = 6;
// Features detected per feature kept, before the spreading.
constexpr int kCandidatesPerFeature = 4;

// Up to `count` of `keypoints`: first the strongest of each grid cell, up
// to an equal share per cell, then the strongest of the rest. Stronger
// first, ties in list order.
std::vector<cv::KeyPoint> spreadOut(const std::vector<cv::KeyPoint>& keypoints, cv::Size size,
                                    size_t count) {
  std::vector<size_t> order(keypoints.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return keypoints[a].response > keypoints[b].response;
  });
  const size_t share = (count + kGridColumns * kGridRows - 1) / (kGridColumns * kGridRows);
  std::vector<size_t> perCell(kGridColumns * kGridRows, 0);
  std::vector<bool> taken(keypoints.size(), false);
  std::vector<cv::KeyPoint> kept;
  for (size_t i : order) {
    if (kept.size() == count) break;
    const int column = std::clamp(
        static_cast<int>(keypoints[i].pt.x * kGridColumns / static_cast<float>(size.width)), 0,
        kGridColumns - 1);
    const int row = std::clamp(
        static_cast<int>(keypoints[i].pt.y * kGridRows / static_cast<float>(size.height)), 0,
        kGridRows - 1);
    size_t& cell = perCell[static_cast<size_t>(row * kGridColumns + column)];
    if (cell == share) continue;
    ++cell;
    taken[i] = true;
    kept.push_back(keypoints[i]);
  }
  for (size_t i : order) {
    if (kept.size() == count) break;
    if (!taken[i]) kept.push_back(keypoints[i]);
  }
  return kept;
}

ViewFeatures detect(const cv::Mat& view, int features) {
  ViewFeatures found;
  const cv::Ptr<cv::ORB> orb = cv::ORB::create(kCandidatesPerFeature * features, 1.2f, 1, 31, 0, 2,
                                               cv::ORB::HARRIS_SCORE, 31, kFastThreshold);
  std::vector<cv::KeyPoint> candidates;
  orb->detect(view, candidates);
  found.keypoints = spreadOut(candidates, view.size(), static_cast<size_t>(features));
  // Descriptors of the kept keypoints only, with the orientations detection gave them.
  orb->compute(view, found.keypoints, found.descriptors);
  found.byRow.resize(found.keypoints.size());
  for (size_t i = 0; i < found.byRow.size(); ++i) found.byRow[i] = static_cast<int>(i);
  // Ties keep index order, so that the order never depends on the sort.
  std::stable_sort(found.byRow.begin(), found.byRow.end(), [&](int a, int b) {
    return found.keypoints[static_cast<size_t>(a)].pt.y <
           found.keypoints[static_cast<size_t>(b)].pt.y;
  });
  for (int i : found.byRow) found.rows.push_back(found.keypoints[static_cast<size_t>(i)].pt.y);
  return found;
}

struct Candidate {
  int index;
  int distance;
};

struct BestMatch {
  int index = -1;  // -1: none accepted
  bool ambiguous = false;
};

// The best feature of `to` for feature `q` of `from` within the band and
// the parallax range (both symmetric, so the same test serves either
// direction); none when the best is too far or has a close rival.
BestMatch bestIn(const ViewFeatures& from, int q, const ViewFeatures& to, float band,
                 float parallax, std::vector<Candidate>& candidates) {
  const cv::KeyPoint& point = from.keypoints[static_cast<size_t>(q)];
  const uchar* descriptor = from.descriptors.ptr<uchar>(q);
  const int length = from.descriptors.cols;
  candidates.clear();
  const auto first = std::lower_bound(to.rows.begin(), to.rows.end(), point.pt.y - band);
  for (auto it = first; it != to.rows.end() && *it <= point.pt.y + band; ++it) {
    const int j = to.byRow[static_cast<size_t>(it - to.rows.begin())];
    if (std::fabs(to.keypoints[static_cast<size_t>(j)].pt.x - point.pt.x) > parallax) continue;
    candidates.push_back(
        {j, cv::hal::normHamming(descriptor, to.descriptors.ptr<uchar>(j), length)});
  }
  BestMatch best;
  if (candidates.empty()) return best;
  // Lowest distance first, then lowest index, whatever the candidates' order.
  const auto isBetter = [](const Candidate& a, const Candidate& b) {
    return a.distance < b.distance || (a.distance == b.distance && a.index < b.index);
  };
  const Candidate top = *std::min_element(candidates.begin(), candidates.end(), isBetter);
  if (top.distance > kMaxDistance) return best;
  const cv::Point2f at = to.keypoints[static_cast<size_t>(top.index)].pt;
  int rival = kMaxDistance * 4;
  for (const Candidate& c : candidates) {
    if (c.index == top.index) continue;
    const cv::Point2f other = to.keypoints[static_cast<size_t>(c.index)].pt;
    if (std::fabs(other.x - at.x) <= kSameFeature && std::fabs(other.y - at.y) <= kSameFeature)
      continue;
    rival = std::min(rival, c.distance);
  }
  if (top.distance >= kRatio * rival) {
    best.ambiguous = true;
    return best;
  }
  best.index = top.index;
  return best;
}

}  // namespace

FeatureMatchesInBand matchInBand(const cv::Mat& left, const cv::Mat& right, double bandRows,
                                 double parallaxColumns, int features) {
  FeatureMatchesInBand result;
  const ViewFeatures l = detect(left, features);
  const ViewFeatures r = detect(right, features);
  result.leftFeatures = static_cast<int>(l.keypoints.size());
  if (l.keypoints.empty() || r.keypoints.empty() || l.descriptors.cols != r.descriptors.cols) {
    return result;
  }
  const auto band = static_cast<float>(bandRows);
  const auto parallax = static_cast<float>(parallaxColumns);
  std::vector<Candidate> candidates;
  std::vector<int> backward(r.keypoints.size(), -2);  // -2: not yet looked up
  for (int i = 0; i < static_cast<int>(l.keypoints.size()); ++i) {
    const BestMatch forward = bestIn(l, i, r, band, parallax, candidates);
    if (forward.ambiguous) ++result.ambiguous;
    if (forward.index < 0) continue;
    int& back = backward[static_cast<size_t>(forward.index)];
    if (back == -2) back = bestIn(r, forward.index, l, band, parallax, candidates).index;
    if (back != i) continue;
    const cv::Point2f a = l.keypoints[static_cast<size_t>(i)].pt;
    const cv::Point2f b = r.keypoints[static_cast<size_t>(forward.index)].pt;
    result.pairs.push_back({cv::Point2d(a.x, a.y), cv::Point2d(b.x, b.y)});
  }
  return result;
}

}  // namespace stereolint
