#include "checkers/Disparity.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace stereolint {
namespace {

bool containsPoint(const std::vector<Disparity>& list, cv::Point point) {
  return std::any_of(list.begin(), list.end(),
                     [point](const Disparity& d) { return d.getPoint() == point; });
}

TEST(LeftPosition, RoundsHalvesToEven) {
  const std::vector<cv::KeyPoint> keypoints = {cv::KeyPoint(2.5f, 3.5f, 1.f),
                                               cv::KeyPoint(-0.5f, 10.49f, 1.f)};
  EXPECT_EQ(leftPosition(keypoints, cv::DMatch(0, 0, 0.f)), cv::Point(2, 4));
  EXPECT_EQ(leftPosition(keypoints, cv::DMatch(1, 0, 0.f)), cv::Point(0, 10));
}

// The hashed position test must pick exactly the matches that the plain scan
// over the records made so far picks.
TEST(FirstMatchPerPosition, AgreesWithTheLinearScan) {
  cv::RNG rng(3);
  for (int round = 0; round < 20; ++round) {
    std::vector<cv::KeyPoint> keypoints;
    for (int k = 0; k < 300; ++k) {
      // Few distinct positions, negative ones and halves included.
      keypoints.emplace_back(static_cast<float>(rng.uniform(-8, 8)) / 2.f,
                             static_cast<float>(rng.uniform(-8, 8)) / 2.f, 1.f);
    }
    std::vector<cv::DMatch> matches;
    for (int m = 0; m < 400; ++m) matches.emplace_back(rng.uniform(0, 300), 0, 0.f);

    std::vector<Disparity> scanned;
    std::vector<size_t> expected;
    for (size_t i = 0; i < matches.size(); ++i) {
      const cv::Point p = leftPosition(keypoints, matches[i]);
      if (containsPoint(scanned, p)) continue;
      scanned.emplace_back(p, 0.0);
      expected.push_back(i);
    }
    EXPECT_EQ(firstMatchPerPosition(keypoints, matches), expected);
  }
}

}  // namespace
}  // namespace stereolint
