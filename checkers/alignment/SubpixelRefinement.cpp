#include "checkers/alignment/SubpixelRefinement.h"

#include <cmath>
#include <opencv2/video/tracking.hpp>

namespace stereolint {

namespace {

constexpr int kWindow = 21;
constexpr double kMaxMove = 3.0;

}  // namespace

std::vector<bool> refineSubpixel(const cv::Mat& left, const cv::Mat& right,
                                 std::vector<PointPair>& pairs) {
  std::vector<bool> usable(pairs.size(), false);
  if (pairs.empty()) return usable;
  std::vector<cv::Point2f> from, to;
  from.reserve(pairs.size());
  to.reserve(pairs.size());
  for (PointPair& pair : pairs) {
    // A whole-pixel left position makes the left patch exact (no
    // interpolation); the right position moves by the same amount.
    const cv::Point2d rounded(std::round(pair.left.x), std::round(pair.left.y));
    pair.right += rounded - pair.left;
    pair.left = rounded;
    from.emplace_back(static_cast<float>(pair.left.x), static_cast<float>(pair.left.y));
    to.emplace_back(static_cast<float>(pair.right.x), static_cast<float>(pair.right.y));
  }
  std::vector<uchar> status;
  std::vector<float> error;
  const std::vector<cv::Point2f> start = to;
  // Each point is followed on its own, so the result does not depend on how
  // the library spreads the points over threads.
  cv::calcOpticalFlowPyrLK(
      left, right, from, to, status, error, cv::Size(kWindow, kWindow), 0,
      cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 40, 0.001),
      cv::OPTFLOW_USE_INITIAL_FLOW);
  const float margin = kWindow / 2 + 1;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const cv::Point2f p = to[i];
    const bool inside = p.x >= margin && p.y >= margin &&
                        p.x < static_cast<float>(right.cols) - margin &&
                        p.y < static_cast<float>(right.rows) - margin;
    const bool near = std::hypot(p.x - start[i].x, p.y - start[i].y) <= kMaxMove;
    if (status[i] == 0 || !inside || !near || !std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    usable[i] = true;
    pairs[i].right = cv::Point2d(p.x, p.y);
  }
  return usable;
}

}  // namespace stereolint
