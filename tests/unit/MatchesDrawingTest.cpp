#include "checkers/MatchesDrawing.h"

#include <gtest/gtest.h>

#include <opencv2/features2d.hpp>

#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

// Keypoints and matches that make a hard picture for bands: thousands of
// crossing lines (nearly level ones, steep ones, ones across the whole
// picture), circles on and around the rows where bands meet, in steps of
// 3/16 pixel, circles on the seam of the views, and points outside the views.
struct Scene {
  cv::Mat left, right;
  std::vector<cv::KeyPoint> leftKeypoints, rightKeypoints;
  std::vector<cv::DMatch> matches;
};

Scene hardScene() {
  Scene scene;
  scene.left = test::texturedPicture({331, 241}, 3);
  scene.right = test::texturedPicture({317, 229}, 5);  // narrower and shorter: black below
  cv::RNG rng(12345);
  const auto randomPoint = [&rng](const cv::Mat& view) {
    return cv::Point2f(rng.uniform(-8.f, static_cast<float>(view.cols) + 8.f),
                       rng.uniform(-8.f, static_cast<float>(view.rows) + 8.f));
  };
  for (int i = 0; i < 400; ++i) {
    scene.leftKeypoints.emplace_back(randomPoint(scene.left), 7.f);
    scene.rightKeypoints.emplace_back(randomPoint(scene.right), 7.f);
  }
  // On and around the rows where bands of many heights meet, in 1/16 steps.
  for (int y : {0, 1, 2, 7, 13, 14, 26, 39, 64, 97, 120, 121, 128, 194, 228, 229, 240}) {
    for (int sixteenth = -24; sixteenth <= 24; sixteenth += 3) {
      const float at = static_cast<float>(y) + static_cast<float>(sixteenth) / 16.f;
      scene.leftKeypoints.emplace_back(cv::Point2f(rng.uniform(0.f, 331.f), at), 7.f);
      scene.rightKeypoints.emplace_back(cv::Point2f(rng.uniform(0.f, 317.f), at + 0.4f), 7.f);
    }
  }
  // At the seam between the views, where circles are cut.
  for (float y = 3; y < 240; y += 9.5f) {
    scene.leftKeypoints.emplace_back(cv::Point2f(329.5f, y), 7.f);
    scene.rightKeypoints.emplace_back(cv::Point2f(1.25f, y), 7.f);
  }
  const int count = static_cast<int>(scene.leftKeypoints.size());
  for (int i = 0; i < count; ++i) {
    scene.matches.emplace_back(i, i, 0.f);  // mostly steep and crossing: unrelated points
    scene.matches.emplace_back(i, (i * 7 + 3) % count, 0.f);
  }
  return scene;
}

cv::Mat banded(const Scene& scene, int bandRows, unsigned seed) {
  cv::theRNG().state = seed;
  return drawMatchesInBands(scene.left, scene.leftKeypoints, scene.right, scene.rightKeypoints,
                            scene.matches, bandRows);
}

int differingPixels(const cv::Mat& a, const cv::Mat& b) {
  EXPECT_EQ(a.size(), b.size());
  EXPECT_EQ(a.type(), b.type());
  if (a.size() != b.size() || a.type() != b.type()) return -1;
  cv::Mat difference;
  cv::absdiff(a, b, difference);
  return cv::countNonZero(difference.reshape(1));
}

TEST(MatchesDrawing, OnePassGivesTheImageLibrarysPictureAndLeavesItsGeneratorAlike) {
  const Scene scene = hardScene();
  cv::theRNG().state = 99;
  cv::Mat reference;
  cv::drawMatches(scene.left, scene.leftKeypoints, scene.right, scene.rightKeypoints,
                  scene.matches, reference);
  const unsigned next = cv::theRNG()(1000);

  const cv::Mat ours = banded(scene, 1000, 99);
  EXPECT_EQ(cv::theRNG()(1000), next) << "the same number of colours is drawn";
  EXPECT_EQ(differingPixels(ours, reference), 0);
  EXPECT_EQ(ours.size(), cv::Size(331 + 317, 241));
}

TEST(MatchesDrawing, BandsOfAnyHeightGiveTheOnePassPicture) {
  const Scene scene = hardScene();
  const cv::Mat onePass = banded(scene, 241, 4);
  for (int bandRows : {1, 7, 13, 64, 97, 120, 240}) {
    EXPECT_EQ(differingPixels(banded(scene, bandRows, 4), onePass), 0)
        << "bands of " << bandRows << " rows";
  }
  EXPECT_EQ(differingPixels(banded(scene, matchesBandRows(241), 4), onePass), 0);
}

TEST(MatchesDrawing, NoMatchesGiveTheViewsWithTheirKeypointsOnly) {
  Scene scene = hardScene();
  scene.matches.clear();
  cv::theRNG().state = 8;
  cv::Mat reference;
  cv::drawMatches(scene.left, scene.leftKeypoints, scene.right, scene.rightKeypoints,
                  std::vector<cv::DMatch>(), reference);
  EXPECT_EQ(differingPixels(banded(scene, 5, 8), reference), 0);

  Scene bareScene;
  bareScene.left = scene.left;
  bareScene.right = scene.right;
  const cv::Mat bare = banded(bareScene, 5, 8);
  EXPECT_EQ(differingPixels(bare(cv::Rect(0, 0, 331, 241)), scene.left), 0);
  EXPECT_EQ(differingPixels(bare(cv::Rect(331, 0, 317, 229)), scene.right), 0);
  EXPECT_EQ(cv::countNonZero(bare(cv::Rect(331, 229, 317, 12)).reshape(1)), 0)
      << "black below the shorter view";
}

TEST(MatchesDrawing, AMatchBeyondItsKeypointsIsTheImageLibrarysError) {
  Scene scene = hardScene();
  scene.matches.emplace_back(0, static_cast<int>(scene.rightKeypoints.size()), 0.f);
  EXPECT_THROW(banded(scene, 16, 1), cv::Exception);
}

}  // namespace
}  // namespace stereolint
