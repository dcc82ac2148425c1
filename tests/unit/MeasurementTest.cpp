// The worked examples of the three single measurements, fed with hand-made
// matches so that every number can be checked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "checkers/RotationStereolint.h"
#include "checkers/ScaleStereolint.h"
#include "checkers/VerticalStereolint.h"
#include "results/ResultKeys.h"

namespace stereolint {
namespace {

// Matches pairing left point k with right point k.
FeatureMatches pairs(const std::vector<cv::Point2f>& left, const std::vector<cv::Point2f>& right) {
  std::vector<cv::KeyPoint> leftKeypoints, rightKeypoints;
  std::vector<cv::DMatch> matches;
  for (size_t k = 0; k < left.size(); ++k) {
    leftKeypoints.emplace_back(left[k], 1.f);
    rightKeypoints.emplace_back(right[k], 1.f);
    matches.emplace_back(static_cast<int>(k), static_cast<int>(k), 0.f);
  }
  return FeatureMatches(leftKeypoints, rightKeypoints, matches);
}

std::map<std::string, double> numbers(const Result& result) {
  std::map<std::string, double> values;
  for (const auto* entry : result.getKeyValues()) values[entry->getKey()] = entry->getValue();
  return values;
}

std::vector<std::string> valueKeys(const Result& result) {
  std::vector<std::string> keys;
  for (const auto* entry : result.getKeyValues()) keys.push_back(entry->getKey());
  return keys;
}

std::vector<std::string> imageKeys(const Result& result) {
  std::vector<std::string> keys;
  for (const auto* entry : result.getKeyImages()) keys.push_back(entry->getKey());
  return keys;
}

const cv::Mat kView(60, 80, CV_8UC3, cv::Scalar(10, 20, 30));

TEST(VerticalMeasurement, NumbersAndPicturesInTheirOrder) {
  const FeatureMatches matches =
      pairs({{10, 12}, {30, 20}, {50, 40}, {60, 45}}, {{10, 10}, {30, 19}, {50, 37}, {60, 41}});
  const Results results =
      VerticalStereolint("DISTRIBUTION:TRUE").compute(&matches, kView, kView);
  ASSERT_EQ(results.size(), 1u);
  const Result& result = *results[0];
  EXPECT_EQ(result.getName(), "VERTICAL");
  EXPECT_EQ(valueKeys(result),
            (std::vector<std::string>{"ALL POINTS", "CALCULATION POINTS", "AVERAGE",
                                      "AVERAGE STANDARD DEVIATION", "AVERAGE ABS", "MEDIAN",
                                      "MEDIAN ABSOLUTE DEVIATION", "CENTYL 70", "TIME"}));
  EXPECT_EQ(imageKeys(result),
            (std::vector<std::string>{"ANAGLYPH_BEFORE", "CIRCLES", "CORRECT_LEFT",
                                      "CORRECT_RIGHT", "ANAGLYPH_AFTER", "MATCHES"}));
  const auto values = numbers(result);
  EXPECT_EQ(values.at("ALL POINTS"), 4.0);
  EXPECT_EQ(values.at("MEDIAN"), 2.5);  // offsets 2, 1, 3, 4
  EXPECT_EQ(values.at("CENTYL 70"), 4.0);
}

TEST(VerticalMeasurement, RepeatedPositionsCountInAllPointsOnly) {
  // The first two left keypoints round to the same pixel (10, 12).
  const FeatureMatches matches = pairs({{10.2f, 12.f}, {9.8f, 11.9f}, {40, 30}},
                                       {{10, 10}, {10, 2}, {40, 29}});
  const Results results = VerticalStereolint("").compute(&matches, kView, kView);
  const auto values = numbers(*results[0]);
  EXPECT_EQ(values.at("ALL POINTS"), 3.0);
  EXPECT_EQ(values.at("CALCULATION POINTS"), 2.0);
  EXPECT_EQ(values.at("AVERAGE"), 1.5) << "the repeat (offset 9.9) is not measured";
}

TEST(VerticalMeasurement, NoMatchesGiveOnlyTimeAndStillEveryPicture) {
  const FeatureMatches none({}, {}, {});
  const Results results = VerticalStereolint("DISTRIBUTION:true").compute(&none, kView, kView);
  EXPECT_EQ(valueKeys(*results[0]), std::vector<std::string>{"TIME"});
  EXPECT_EQ(imageKeys(*results[0]).size(), 5u) << "CIRCLES only for DISTRIBUTION:TRUE";
}

TEST(RotationMeasurement, TwoMatchesGiveTheArcTangentOfTheirTilt) {
  const FeatureMatches matches = pairs({{0, 0}, {10, 0}}, {{0, 0}, {10, 1}});
  const Results results = RotationStereolint("").compute(&matches, kView, kView);
  const auto values = numbers(*results[0]);
  const double expected = std::atan(0.1) * 180.0 / 3.14159265359;
  EXPECT_DOUBLE_EQ(values.at("MEDIAN"), expected);
  EXPECT_NEAR(values.at("MEDIAN"), 5.7106, 1e-4);
  EXPECT_EQ(results[0]->getName(), "ROTATION");
}

TEST(RotationMeasurement, VerticallyAlignedPairsAreLeftOut) {
  const FeatureMatches matches = pairs({{5, 0}, {5, 10}}, {{5, 0}, {7, 10}});
  const auto values = numbers(*RotationStereolint("").compute(&matches, kView, kView)[0]);
  EXPECT_EQ(values.at("CALCULATION POINTS"), 2.0);
  EXPECT_EQ(values.at("MEDIAN"), 0.0);
  EXPECT_EQ(values.at("CENTYL 70"), 0.0);
}

TEST(ScaleMeasurement, ThreeMatchesWithDoubledSeparations) {
  const FeatureMatches matches = pairs({{0, 0}, {0, 10}, {0, 30}}, {{0, 0}, {0, 5}, {0, 15}});
  const Results results = ScaleStereolint("").compute(&matches, kView, kView);
  const auto values = numbers(*results[0]);
  EXPECT_EQ(values.at("MEDIAN"), 2.0);
  EXPECT_EQ(values.at("AVERAGE STANDARD DEVIATION"), 0.0);
  EXPECT_EQ(results[0]->getName(), "SCALE");
}

TEST(ScaleMeasurement, RepeatedPositionsStillServeAsPartners) {
  // Matches 0 and 1 share a left position; match 1 is not measured itself
  // but is a partner of the others: match 0 measures (0 / -10 + -20 / -20) / 2
  // = 0.5 and match 2 measures (20 / 20 + 20 / 10) / 2 = 1.5.
  const FeatureMatches matches = pairs({{0, 0}, {0.2f, 0}, {0, 20}}, {{0, 0}, {0, 10}, {0, 20}});
  const auto results = ScaleStereolint("").compute(&matches, kView, kView);
  const auto values = numbers(*results[0]);
  EXPECT_EQ(values.at("ALL POINTS"), 3.0);
  EXPECT_EQ(values.at("CALCULATION POINTS"), 2.0);
  EXPECT_EQ(values.at("AVERAGE"), 1.0);
  EXPECT_EQ(values.at("CENTYL 70"), 1.5);
}

TEST(SingleMeasurement, SixteenBitViewsAreScaledToEightBits) {
  const cv::Mat deep(40, 40, CV_16UC3, cv::Scalar(65535, 256, 0));
  const FeatureMatches none({}, {}, {});
  const Results results = VerticalStereolint("").compute(&none, deep, deep);
  const cv::Mat left = results[0]->getKeyImages()[1]->getImage();  // CORRECT_LEFT
  ASSERT_EQ(left.type(), CV_8UC3);
  EXPECT_EQ(left.at<cv::Vec3b>(0, 0), cv::Vec3b(255, 1, 0));
}

TEST(SingleMeasurement, GreyViewsBecomeColourViews) {
  const cv::Mat grey(40, 40, CV_8UC1, cv::Scalar(90));
  const FeatureMatches none({}, {}, {});
  const Results results = VerticalStereolint("").compute(&none, grey, grey);
  for (const auto* image : results[0]->getKeyImages()) {
    EXPECT_EQ(image->getImage().type(), CV_8UC3) << image->getKey();
  }
}

TEST(SingleVisualize, IsAlwaysTheBlackSquare) {
  const Results none;
  for (const cv::Mat& picture : {VerticalStereolint("").visualize(none),
                                 RotationStereolint("").visualize(none),
                                 ScaleStereolint("").visualize(none)}) {
    ASSERT_EQ(picture.size(), cv::Size(200, 200));
    ASSERT_EQ(picture.type(), CV_8UC3);
    EXPECT_EQ(cv::countNonZero(picture.reshape(1)), 0);
  }
}

}  // namespace
}  // namespace stereolint
