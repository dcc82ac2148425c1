#include "checkers/algorithms/FeatureAlgorithms.h"

#include <filesystem>
#include <random>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

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


// The faster paths of the feature matching against the image library's own
// calls, which they must reproduce exactly.

std::string describe(const std::vector<cv::DMatch>& matches) {
  std::string text;
  for (const cv::DMatch& m : matches) {
    text += std::to_string(m.queryIdx) + ">" + std::to_string(m.trainIdx) + "@" +
            std::to_string(m.imgIdx) + ":" + std::to_string(m.distance) + " ";
  }
  return text;
}

std::vector<cv::DMatch> libraryMatches(const cv::Mat& query, const cv::Mat& train) {
  std::vector<cv::DMatch> matches;
  cv::BFMatcher(cv::NORM_HAMMING).match(query, train, matches);
  return matches;
}

// Random binary descriptors; few distinct bits make equal distances common,
// so the choice among ties is checked too.
cv::Mat randomDescriptors(int rows, int bytes, int distinctBits, std::mt19937& random) {
  cv::Mat descriptors(rows, bytes, CV_8UC1, cv::Scalar(0));
  std::uniform_int_distribution<int> bit(0, distinctBits - 1);
  for (int r = 0; r < rows; ++r) {
    for (int k = 0; k < 3; ++k) {
      const int at = bit(random) % (bytes * 8);
      descriptors.at<uchar>(r, at / 8) ^= static_cast<uchar>(1u << (at % 8));
    }
  }
  return descriptors;
}

TEST(FastMatching, HammingSearchGivesTheLibrarysMatchesTiesIncluded) {
  std::mt19937 random(11);
  for (int bytes : {1, 8, 13, 32, 61, 64}) {
    for (int distinctBits : {4, 64, 512}) {
      const cv::Mat query = randomDescriptors(37, bytes, distinctBits, random);
      const cv::Mat train = randomDescriptors(53, bytes, distinctBits, random);
      EXPECT_EQ(describe(matchDescriptors("BruteForce-Hamming", query, train)),
                describe(libraryMatches(query, train)))
          << bytes << " bytes, " << distinctBits << " distinct bits";
    }
  }
  // A view of a wider matrix, whose rows are not packed.
  const cv::Mat wide = randomDescriptors(20, 40, 320, random);
  const cv::Mat train = randomDescriptors(9, 32, 256, random);
  const cv::Mat query = wide.colRange(3, 35);
  EXPECT_EQ(describe(matchDescriptors("BruteForce-Hamming", query, train)),
            describe(libraryMatches(query, train)));
  EXPECT_TRUE(matchDescriptors("BruteForce-Hamming", query, cv::Mat(0, 32, CV_8UC1)).empty());
}

TEST(FastMatching, OtherDescriptorTypesAndMatchersStayTheLibrarys) {
  cv::Mat query(5, 8, CV_32FC1), train(7, 8, CV_32FC1);
  cv::randu(query, 0, 1);
  cv::randu(train, 0, 1);
  std::vector<cv::DMatch> expected;
  cv::BFMatcher(cv::NORM_L2).match(query, train, expected);
  EXPECT_EQ(describe(matchDescriptors("BruteForce", query, train)), describe(expected));
  // Hamming on floats is the library's error, not a different answer.
  EXPECT_THROW(matchDescriptors("BruteForce-Hamming", query, train), cv::Exception);
}

// Views of varied content: textured pictures of several sizes, a blank one,
// and, where opencv-doc is installed, photographs and their small tiles.
std::vector<cv::Mat> varietyOfViews() {
  std::vector<cv::Mat> views = {test::texturedPicture({240, 180}, 3),
                                test::texturedPicture({184, 200}, 5),
                                test::texturedPicture({640, 360}, 9),
                                cv::Mat(120, 160, CV_8UC3, cv::Scalar(90, 90, 90))};
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  for (const char* name : {"building.jpg", "aloeL.jpg", "left01.jpg", "baboon.jpg"}) {
    const cv::Mat photo = cv::imread(data + name);
    if (photo.empty()) continue;
    views.push_back(photo);
    views.push_back(photo(cv::Rect(photo.cols / 3, photo.rows / 4, 184, 200)));
  }
  return views;
}

std::string describe(const std::vector<cv::KeyPoint>& keypoints) {
  std::string text;
  for (const cv::KeyPoint& k : keypoints) {
    text += cv::format("(%a,%a s%a a%a r%a o%d c%d) ", k.pt.x, k.pt.y, k.size, k.angle,
                       k.response, k.octave, k.class_id);
  }
  return text;
}

TEST(FastMatching, OneCallDetectionGivesTheKeypointsAndDescriptorsOfTwo) {
  ASSERT_FALSE(oneCallDetectorNames().empty());
  for (const std::string& name : oneCallDetectorNames()) {
    EXPECT_TRUE(describesInOneCall(name, name));
    EXPECT_FALSE(describesInOneCall("Grid" + name, name));
    for (const cv::Mat& view : varietyOfViews()) {
      std::vector<cv::KeyPoint> twoCalls, oneCall;
      cv::Mat twoCallDescriptors, oneCallDescriptors;
      createDetector(name)->detect(view, twoCalls);
      createExtractor(name)->compute(view, twoCalls, twoCallDescriptors);
      createDetector(name)->detectAndCompute(view, cv::noArray(), oneCall, oneCallDescriptors);
      EXPECT_EQ(describe(oneCall), describe(twoCalls)) << name << " on " << view.size();
      ASSERT_EQ(oneCallDescriptors.size(), twoCallDescriptors.size()) << name;
      if (!oneCallDescriptors.empty()) {
        EXPECT_EQ(cv::norm(oneCallDescriptors, twoCallDescriptors, cv::NORM_INF), 0)
            << name << " on " << view.size();
      }
    }
  }
}

}  // namespace
}  // namespace stereolint
