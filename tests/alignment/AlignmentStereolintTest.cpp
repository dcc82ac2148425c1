// The alignment checker as the run pipeline sees it: ALIGNMENT, DEPTH and
// EYES results per frame with their entries in order, pictures on request,
// a summary, and the same numbers for every pixel format of the same views.
#include <gtest/gtest.h>

#include <map>
#include <opencv2/imgproc.hpp>

#include "AlignmentTestViews.h"
#include "checkers/alignment/AlignmentStereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

const cv::Size kSize(640, 480);

struct Entries {
  std::vector<std::string> keys;
  std::map<std::string, double> numbers;
  std::string status;
};

Entries entriesOf(const Results& results, size_t block = 0) {
  EXPECT_EQ(results.size(), 3u);
  Entries entries;
  if (results.size() <= block) return entries;
  const char* const names[] = {"ALIGNMENT", "DEPTH", "EYES"};
  EXPECT_EQ(results[block]->getName(), names[block]);
  for (const Result::KeyValue* value : results[block]->getKeyValues()) {
    entries.keys.push_back(value->getKey());
    if (value->hasText()) {
      entries.status = value->getText();
    } else {
      entries.numbers[value->getKey()] = value->getValue();
    }
  }
  return entries;
}

Results measure(const std::string& parameters, const cv::Mat& left, const cv::Mat& right) {
  return AlignmentStereolint(parameters).compute(nullptr, left, right);
}

TEST(AlignmentStereolint, ThreeResultsWithTheirEntriesInOrder) {
  const cv::Mat left = test::texturedPicture(kSize);
  Entries entries = entriesOf(measure("", left, test::misalign(left, 2.0, 0.5, 1.0)));
  const std::vector<std::string> expected = {
      "VERTICAL",       "ROTATION",    "SCALE",    "KEYSTONE", "NEAR PARALLAX",
      "FAR PARALLAX",   "VERTICAL ERROR", "ROTATION ERROR", "SCALE ERROR", "POINTS",
      "RESIDUAL",       "STATUS",      "TIME"};
  EXPECT_EQ(entries.keys, expected);
  EXPECT_EQ(entries.status, "OK");
  EXPECT_NEAR(entries.numbers["VERTICAL"], -2.0, 0.1);
  EXPECT_NEAR(entries.numbers["ROTATION"], -0.5, 0.03);
  EXPECT_GE(entries.numbers["POINTS"], 20);
  EXPECT_GT(entries.numbers["VERTICAL ERROR"], 0);
  EXPECT_LE(entries.numbers["VERTICAL ERROR"], 0.1);
  EXPECT_LE(entries.numbers["ROTATION ERROR"], 0.0175);

  // The synthetic pair is one flat picture shifted: every pixel at the same
  // parallax, the screen plane.
  Entries depth = entriesOf(measure("", left, test::misalign(left, 2.0, 0.5, 1.0)), 1);
  EXPECT_EQ(depth.keys, (std::vector<std::string>{"NEAR", "MEDIAN", "FAR", "COVERAGE",
                                                  "WINDOW LEFT", "WINDOW RIGHT", "FLOATING WINDOW",
                                                  "EYE ORDER", "EYE ORDER SCORE", "STATUS",
                                                  "TIME"}));
  EXPECT_EQ(depth.status, "OK");
  EXPECT_NEAR(depth.numbers["MEDIAN"], 0.0, 0.1);
  EXPECT_GT(depth.numbers["COVERAGE"], 80);
  EXPECT_EQ(depth.numbers["WINDOW LEFT"] + depth.numbers["WINDOW RIGHT"], 0);
  // One picture seen by both eyes: no difference between them but what two
  // warps of a high-contrast texture take from its linear mean.
  Entries eyes = entriesOf(measure("", left, test::misalign(left, 2.0, 0.5, 1.0)), 2);
  EXPECT_EQ(eyes.keys, (std::vector<std::string>{
                           "LUMINANCE", "COLOUR", "COLOUR 95", "CAST A", "CAST B", "CDL",
                           "SHARPNESS", "BLUR", "HIGHLIGHTS", "HIGHLIGHT AREA", "MATCHED",
                           "STATUS", "TIME"}));
  EXPECT_NEAR(eyes.numbers["LUMINANCE"], 0.0, 0.03);
  EXPECT_LT(eyes.numbers["COLOUR"], 1.0);
  EXPECT_EQ(AlignmentStereolint("DEPTH:FALSE").compute(nullptr, left, left).size(), 1u);
  EXPECT_EQ(AlignmentStereolint("EYES:FALSE").compute(nullptr, left, left).size(), 2u);
}

TEST(AlignmentStereolint, AnInconclusiveFrameKeepsStatusPointsAndTime) {
  const cv::Mat black(kSize, CV_8UC3, cv::Scalar::all(0));
  const Entries entries = entriesOf(measure("", black, black));
  EXPECT_EQ(entries.keys, (std::vector<std::string>{"POINTS", "STATUS", "TIME"}));
  EXPECT_EQ(entries.status, "INCONCLUSIVE BLACK VIEW");
  const Entries depth = entriesOf(measure("", black, black), 1);
  EXPECT_EQ(depth.keys, (std::vector<std::string>{"STATUS", "TIME"}));
  EXPECT_EQ(depth.status, "INCONCLUSIVE BLACK VIEW");
}

TEST(AlignmentStereolint, PicturesOnlyWhenAskedFor) {
  const cv::Mat left = test::texturedPicture(kSize);
  const cv::Mat right = test::misalign(left, 3.0, 0.0, 1.0);
  EXPECT_TRUE(measure("", left, right)[0]->getKeyImages().empty());

  const Results results = measure("PICTURES:TRUE", left, right);
  std::vector<std::string> keys;
  for (const Result::KeyImage* image : results[0]->getKeyImages()) {
    keys.push_back(image->getKey());
    EXPECT_EQ(image->getImage().size(), kSize) << image->getKey();
    EXPECT_EQ(image->getImage().type(), CV_8UC3) << image->getKey();
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"ANAGLYPH_BEFORE", "ANAGLYPH_AFTER", "CORRECT_RIGHT",
                                            "POINTS"}));
  // The corrected right view lines up with the left one: away from the
  // uncovered edge they differ far less than before.
  const cv::Mat corrected = results[0]->getKeyImages()[2]->getImage();
  const cv::Rect inside(20, 20, kSize.width - 40, kSize.height - 40);
  EXPECT_LT(cv::norm(corrected(inside), left(inside), cv::NORM_L1),
            0.3 * cv::norm(right(inside), left(inside), cv::NORM_L1));
}

TEST(AlignmentStereolint, ViewsOfDifferentSizesGiveAStatusAndNoPictures) {
  const cv::Mat left = test::texturedPicture(kSize);
  const Results results = measure("PICTURES:TRUE", left, left(cv::Rect(0, 0, 320, 240)));
  EXPECT_EQ(entriesOf(results).status, "INCONCLUSIVE VIEWS DIFFER IN SIZE");
  EXPECT_TRUE(results[0]->getKeyImages().empty());
}

TEST(AlignmentStereolint, SummaryPictureWithOrWithoutPictures) {
  const cv::Mat left = test::texturedPicture(kSize);
  const cv::Mat right = test::misalign(left, 1.0, 0.0, 1.0);
  const AlignmentStereolint withPictures("PICTURES:TRUE");
  const cv::Mat summary = withPictures.visualize(withPictures.compute(nullptr, left, right));
  EXPECT_EQ(summary.size(), kSize);
  const AlignmentStereolint plain("");
  EXPECT_EQ(plain.visualize(plain.compute(nullptr, left, right)).type(), CV_8UC3);
  EXPECT_FALSE(plain.visualize(Results{}).empty());
}

TEST(AlignmentStereolint, CorrectMovesContentDownByFractionsOfARow) {
  cv::Mat ramp(40, 10, CV_32FC1);
  for (int y = 0; y < ramp.rows; ++y) ramp.row(y).setTo(static_cast<float>(y));
  const cv::Mat moved = AlignmentStereolint("").correct(ramp, 2.5);
  EXPECT_NEAR(moved.at<float>(20, 5), 17.5f, 1e-4);
  EXPECT_NEAR(AlignmentStereolint("").correct(ramp, -1.0).at<float>(20, 5), 21.0f, 1e-4);
}

TEST(AlignmentStereolint, GreySixteenBitAndAlphaViewsReadAsTheirColourViews) {
  const cv::Mat left = test::texturedPicture(kSize);
  const cv::Mat right = test::misalign(left, 1.5, 0.3, 1.01);
  Entries colour = entriesOf(measure("", left, right));
  const auto same = [&](const cv::Mat& l, const cv::Mat& r, const char* what) {
    Entries other = entriesOf(measure("", l, r));
    for (const char* key : {"VERTICAL", "ROTATION", "SCALE", "POINTS"}) {
      EXPECT_EQ(other.numbers[key], colour.numbers[key]) << what << " " << key;
    }
  };
  cv::Mat left16, right16, leftAlpha, rightAlpha;
  left.convertTo(left16, CV_16U, 256);
  right.convertTo(right16, CV_16U, 256);
  cv::cvtColor(left, leftAlpha, cv::COLOR_BGR2BGRA);
  cv::cvtColor(right, rightAlpha, cv::COLOR_BGR2BGRA);
  same(left16, right16, "16-bit");
  same(leftAlpha, rightAlpha, "alpha");
  cv::Mat leftGrey, rightGrey;
  cv::cvtColor(left, leftGrey, cv::COLOR_BGR2GRAY);
  cv::cvtColor(right, rightGrey, cv::COLOR_BGR2GRAY);
  same(leftGrey, rightGrey, "grey");
}

}  // namespace
}  // namespace stereolint
