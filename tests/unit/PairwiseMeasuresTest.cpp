// The fast forms of the pairwise measures must give exactly the values of
// their definitions, bit for bit, on ordinary and on awkward matches.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "checkers/PairwiseMeasures.h"

namespace stereolint {
namespace {

struct Matches {
  std::vector<cv::KeyPoint> left, right;
  std::vector<cv::DMatch> pairs;
  std::vector<size_t> features;

  void add(cv::Point2f l, cv::Point2f r) {
    // Keypoints in reverse order, so that match and keypoint indices differ.
    left.insert(left.begin(), cv::KeyPoint(l, 7.f));
    right.insert(right.begin(), cv::KeyPoint(r, 7.f));
    for (cv::DMatch& match : pairs) {
      ++match.queryIdx;
      ++match.trainIdx;
    }
    pairs.emplace_back(0, 0, 0.f);
    features.push_back(pairs.size() - 1);
  }
};

// Compares the bits, so that NaN equals NaN and -0 differs from +0.
void expectIdentical(const std::vector<double>& expected, const std::vector<double>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(0, std::memcmp(&expected[k], &actual[k], sizeof(double)))
        << "feature " << k << ": " << expected[k] << " against " << actual[k];
  }
}

void expectBothWaysAgree(const Matches& m) {
  const MatchedPositions positions = matchedPositions(m.left, m.right, m.pairs);
  std::vector<double> angles, ratios;
  for (size_t i : m.features) {
    angles.push_back(meanPairAngle(m.left, m.right, m.pairs, i));
    ratios.push_back(meanSeparationRatio(m.left, m.right, m.pairs, i));
  }
  expectIdentical(angles, meanPairAngles(positions, m.features));
  expectIdentical(ratios, meanSeparationRatios(positions, m.features));
}

TEST(PairwiseMeasures, FastFormsEqualDefinitionsOnTurnedViews) {
  // Counts around the vector widths and the lane blocks, odd ones too.
  for (int count : {1, 2, 3, 5, 8, 9, 31, 33, 67, 300}) {
    Matches m;
    cv::RNG rng(static_cast<uint64_t>(count));
    for (int k = 0; k < count; ++k) {
      const cv::Point2f l(rng.uniform(0.f, 960.f), rng.uniform(0.f, 1080.f));
      m.add(l, cv::Point2f(l.x * 0.9999f - l.y * 0.005f, l.x * 0.005f + l.y * 1.01f + 4.f));
    }
    SCOPED_TRACE(count);
    expectBothWaysAgree(m);
  }
}

TEST(PairwiseMeasures, FastFormsEqualDefinitionsWhereTermsVanish) {
  // Whole-pixel positions moved by whole rows: every angle term is exactly
  // zero and every ratio exactly 1; shared rows and columns leave pairs out.
  Matches m;
  cv::RNG rng(3);
  for (int k = 0; k < 150; ++k) {
    const cv::Point2f l(static_cast<float>(rng.uniform(0, 40)), static_cast<float>(rng.uniform(0, 40)));
    m.add(l, l + cv::Point2f(0, 6));
  }
  expectBothWaysAgree(m);
}

TEST(PairwiseMeasures, FastFormsEqualDefinitionsOnDegenerateMatches) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Matches m;
  m.add({10, 10}, {10, 12});
  m.add({10, 10}, {10, 12});   // the same position twice
  m.add({20, -0.f}, {20, 0.f});  // signed zeros
  m.add({30, 40}, {31, 40});
  m.add({inf, 5}, {inf, 7});
  m.add({40, nan}, {41, 3});
  m.add({50, 60}, {nan, nan});
  m.add({60, 70}, {62, inf});
  for (float k = 0; k < 9; ++k) m.add({70 + k, 80 - k}, {71 + k, 79 - k * 1.5f});
  expectBothWaysAgree(m);
}

TEST(PairwiseMeasures, NoMatchesGiveNoValues) {
  const Matches m;
  const MatchedPositions positions = matchedPositions(m.left, m.right, m.pairs);
  EXPECT_TRUE(meanPairAngles(positions, {}).empty());
  EXPECT_TRUE(meanSeparationRatios(positions, {}).empty());
}

}  // namespace
}  // namespace stereolint
