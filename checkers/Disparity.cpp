#include "checkers/Disparity.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

namespace stereolint {

cv::Point leftPosition(const std::vector<cv::KeyPoint>& leftKeypoints, const cv::DMatch& match) {
  const cv::Point2f& pt = leftKeypoints.at(static_cast<size_t>(match.queryIdx)).pt;
  return {cvRound(pt.x), cvRound(pt.y)};
}

std::vector<size_t> firstMatchPerPosition(const std::vector<cv::KeyPoint>& leftKeypoints,
                                          const std::vector<cv::DMatch>& matches) {
  // A hash set gives the same records, in the same order, as scanning the
  // records made so far, without the quadratic cost.
  std::unordered_set<std::uint64_t> taken;
  taken.reserve(matches.size());
  std::vector<size_t> first;
  for (size_t i = 0; i < matches.size(); ++i) {
    const cv::Point p = leftPosition(leftKeypoints, matches[i]);
    const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) << 32) |
                              static_cast<std::uint32_t>(p.y);
    if (taken.insert(key).second) first.push_back(i);
  }
  return first;
}

}  // namespace stereolint
