#include "checkers/algorithms/FeatureAlgorithms.h"

#include <gtest/gtest.h>

#include "support/SyntheticViews.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

const cv::Mat& picture() {
  static const cv::Mat view = test::texturedPicture({240, 180});
  return view;
}

TEST(FeatureAlgorithms, EveryListedDetectorFindsKeypoints) {
  for (const std::string& name : algorithmNames(AlgorithmRole::Detector)) {
    std::vector<cv::KeyPoint> keypoints;
    createDetector(name)->detect(picture(), keypoints);
    EXPECT_FALSE(keypoints.empty()) << name;
  }
}

TEST(FeatureAlgorithms, EveryListedExtractorDescribesItsOwnKeypoints) {
  for (const std::string& name : algorithmNames(AlgorithmRole::Extractor)) {
    const cv::Ptr<cv::Feature2D> algorithm = createExtractor(name);
    std::vector<cv::KeyPoint> keypoints;
    createDetector(name)->detect(picture(), keypoints);
    cv::Mat descriptors;
    algorithm->compute(picture(), keypoints, descriptors);
    EXPECT_EQ(descriptors.rows, static_cast<int>(keypoints.size())) << name;
    EXPECT_EQ(descriptors.cols, algorithm->descriptorSize()) << name;
  }
}

TEST(FeatureAlgorithms, EveryListedMatcherIsCreated) {
  for (const std::string& name : algorithmNames(AlgorithmRole::Matcher)) {
    EXPECT_FALSE(createMatcher(name).empty()) << name;
  }
}

TEST(FeatureAlgorithms, UnusableNamesRaiseTheLibrarysError) {
  EXPECT_THROW(createDetector("STAR"), cv::Exception);
  EXPECT_THROW(createDetector("ORBX"), cv::Exception);
  EXPECT_THROW(createDetector("Grid"), cv::Exception);
  EXPECT_THROW(createExtractor("FAST"), cv::Exception) << "FAST only detects";
  EXPECT_THROW(createMatcher("ORB"), cv::Exception);
  try {
    createExtractor("OpponentBRIEF");
    FAIL();
  } catch (const cv::Exception& error) {
    EXPECT_NE(error.msg.find("not available"), std::string::npos) << error.msg;
  }
}

TEST(GridAdapter, KeepsTheStrongestKeypointsOfEveryCell) {
  const cv::Mat large = test::texturedPicture({480, 360});
  std::vector<cv::KeyPoint> plain, gridded;
  createDetector("FAST")->detect(large, plain);
  createDetector("GridFAST")->detect(large, gridded);
  ASSERT_GT(plain.size(), 1000u) << "the texture must give the grid something to trim";
  // 62 a cell, plus keypoints tied with the weakest one kept.
  EXPECT_LT(gridded.size(), 1100u);
  int perCell[4][4] = {};
  for (const cv::KeyPoint& keypoint : gridded) {
    ++perCell[static_cast<int>(keypoint.pt.y) * 4 / 360][static_cast<int>(keypoint.pt.x) * 4 / 480];
  }
  for (const auto& row : perCell) {
    for (int n : row) EXPECT_GT(n, 0);
  }
}

TEST(PyramidAdapter, AddsLargerFeaturesFromSmallerLevels) {
  std::vector<cv::KeyPoint> keypoints;
  createDetector("PyramidFAST")->detect(picture(), keypoints);
  std::set<int> octaves;
  for (const cv::KeyPoint& keypoint : keypoints) {
    octaves.insert(keypoint.octave);
    EXPECT_LT(keypoint.pt.x, 240.f);
    EXPECT_LT(keypoint.pt.y, 180.f);
  }
  EXPECT_EQ(octaves, (std::set<int>{0, 1, 2}));
}

TEST(OpponentAdapter, PutsThreeDescriptorsSideBySide) {
  const cv::Ptr<cv::Feature2D> opponent = createExtractor("OpponentORB");
  EXPECT_EQ(opponent->descriptorSize(), 96);
  std::vector<cv::KeyPoint> keypoints;
  createDetector("ORB")->detect(picture(), keypoints);
  cv::Mat descriptors;
  opponent->compute(picture(), keypoints, descriptors);
  EXPECT_EQ(descriptors.cols, 96);
  EXPECT_EQ(descriptors.rows, static_cast<int>(keypoints.size()));
  EXPECT_GT(descriptors.rows, 0);
}

TEST(DenseDetector, PlacesKeypointsEverySixPixels) {
  std::vector<cv::KeyPoint> keypoints;
  createDetector("Dense")->detect(cv::Mat(13, 20, CV_8UC1, cv::Scalar(0)), keypoints);
  ASSERT_EQ(keypoints.size(), 4u * 3u);
  EXPECT_EQ(keypoints[1].pt, cv::Point2f(0, 6)) << "column by column";
  EXPECT_EQ(keypoints.back().pt, cv::Point2f(18, 12));
}

// Users read the names in the README; it must list exactly what the table
// accepts and what it refuses.
TEST(FeatureAlgorithms, ReadmeListsEveryName) {
  const std::string readme = test::readTextFile(std::string(STEREOLINT_SOURCE_DIR) + "/README.md");
  const size_t start = readme.find("<!-- algorithm-names");
  ASSERT_NE(start, std::string::npos);
  const std::string list = readme.substr(start, readme.find("\n\n", start) - start);
  for (const AlgorithmRole role :
       {AlgorithmRole::Detector, AlgorithmRole::Extractor, AlgorithmRole::Matcher}) {
    std::vector<std::string> names = algorithmNames(role);
    for (const auto& more : {algorithmPrefixes(role), unavailableAlgorithmNames(role)}) {
      names.insert(names.end(), more.begin(), more.end());
    }
    for (const std::string& name : names) {
      EXPECT_NE(list.find("`" + name + "`"), std::string::npos) << name << " is not in the README";
    }
  }
}

}  // namespace
}  // namespace stereolint
