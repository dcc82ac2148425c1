#include "checkers/MatchFeatures.h"

#include <gtest/gtest.h>

#include "checkers/Stereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

TEST(FeatureTiles, TenPercentOfAVgaPairGivesFiftySixTiles) {
  const auto tiles = featureTiles(10, 10, {640, 480}, {640, 480});
  ASSERT_EQ(tiles.size(), 56u);
  EXPECT_EQ(tiles.front(), cv::Rect(0, 0, 184, 152));
  // Column by column: the second tile lies below the first.
  EXPECT_EQ(tiles[1], cv::Rect(0, 48, 184, 152));
  EXPECT_EQ(tiles[7], cv::Rect(64, 0, 184, 152));
  // The last centre is (540, 364).
  EXPECT_EQ(tiles.back(), cv::Rect(540 - 92, 364 - 76, 184, 152));
}

TEST(FeatureTiles, BothViewsBoundTheTiles) {
  // Steps come from the left view (64 x 48); x centres stop where the
  // narrower right view ends: 92, 156, 220, 284.
  EXPECT_EQ(featureTiles(10, 10, {640, 480}, {400, 480}).size(), 4u * 7u);
}

TEST(FeatureTiles, StepBelowOnePixelGivesNoTiles) {
  EXPECT_TRUE(featureTiles(0, 10, {640, 480}, {640, 480}).empty());
  EXPECT_TRUE(featureTiles(10, 10, {9, 480}, {9, 480}).empty()) << "10% of 9 columns is 0";
  EXPECT_TRUE(featureTiles(-5, 10, {640, 480}, {640, 480}).empty());
  EXPECT_TRUE(featureTiles(10, 10, {70, 70}, {70, 70}).empty()) << "no tile fits";
  EXPECT_EQ(featureTiles(10, 10, {71, 71}, {71, 71}).size(), 1u);
}

TEST(FeatureTiles, HugePercentagesDoNotOverflow) {
  EXPECT_TRUE(featureTiles(2147483647, 2147483647, {4000, 3000}, {4000, 3000}).empty());
}

TEST(CrossCheck, KeepsMutualPairsAtTheTileMinimum) {
  // Left 0 <-> right 1 and left 2 <-> right 0 are mutual at distance 3 (the
  // minimum both ways); left 1 -> right 2 is mutual but farther.
  const std::vector<cv::DMatch> forward = {{0, 1, 3.f}, {1, 2, 5.f}, {2, 0, 3.f}};
  const std::vector<cv::DMatch> backward = {{0, 2, 3.f}, {1, 0, 3.f}, {2, 1, 5.f}};
  const auto accepted = crossCheckedMatches(forward, backward, 16.f);
  ASSERT_EQ(accepted.size(), 2u) << "ties at the minimum are all kept";
  EXPECT_EQ(accepted[0].queryIdx, 0);
  EXPECT_EQ(accepted[1].queryIdx, 2);
}

TEST(CrossCheck, RejectsOneWayPairs) {
  const std::vector<cv::DMatch> forward = {{0, 0, 1.f}, {1, 0, 1.f}};
  const std::vector<cv::DMatch> backward = {{0, 1, 1.f}};
  const auto accepted = crossCheckedMatches(forward, backward, 16.f);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].queryIdx, 1);
}

TEST(CrossCheck, RejectsTheMinimumAboveHalfTheDescriptorSize) {
  const std::vector<cv::DMatch> forward = {{0, 0, 17.f}};
  const std::vector<cv::DMatch> backward = {{0, 0, 17.f}};
  EXPECT_TRUE(crossCheckedMatches(forward, backward, 16.f).empty());
  EXPECT_EQ(crossCheckedMatches(forward, backward, 17.f).size(), 1u);
}

TEST(CrossCheck, EmptyDirectionAcceptsNothing) {
  EXPECT_TRUE(crossCheckedMatches({{0, 0, 0.f}}, {}, 16.f).empty());
  EXPECT_TRUE(crossCheckedMatches({}, {{0, 0, 0.f}}, 16.f).empty());
}

TEST(MatchFeatures, IndicesStayValidAcrossTilesAndCoordinatesAreWholeView) {
  const test::StereoPair pair = test::verticallyShiftedPair({320, 240}, 3);
  const Stereolint checker(
      "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming");
  const auto matches = matchFeatures(checker, pair.left, pair.right);
  const auto left = matches->getLeftKeypoints();
  const auto right = matches->getRightKeypoints();
  ASSERT_GT(matches->getMatches().size(), 10u);
  for (const cv::DMatch& match : matches->getMatches()) {
    ASSERT_GE(match.queryIdx, 0);
    ASSERT_LT(static_cast<size_t>(match.queryIdx), left.size());
    ASSERT_LT(static_cast<size_t>(match.trainIdx), right.size());
    EXPECT_LE(match.distance, 16.f);
    // A pure shift matches every feature to itself three rows up.
    EXPECT_NEAR(left[static_cast<size_t>(match.queryIdx)].pt.x,
                right[static_cast<size_t>(match.trainIdx)].pt.x, 1.5);
  }
  bool beyondFirstTile = false;
  for (const cv::KeyPoint& keypoint : left) beyondFirstTile |= keypoint.pt.x > 184.f;
  EXPECT_TRUE(beyondFirstTile) << "keypoints are moved to whole-view coordinates";
}

TEST(MatchFeatures, TooSmallViewsGiveEmptyLists) {
  const test::StereoPair pair = test::verticallyShiftedPair({60, 60}, 1);
  const Stereolint checker("WIDTH:1,HEIGHT:1,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce");
  const auto matches = matchFeatures(checker, pair.left, pair.right);
  EXPECT_TRUE(matches->getLeftKeypoints().empty());
  EXPECT_TRUE(matches->getMatches().empty());
}

}  // namespace
}  // namespace stereolint
