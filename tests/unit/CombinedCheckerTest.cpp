#include "app/Methods.h"
#include "checkers/Stereolint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checkers/ScaleStereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

const std::string kMatching = "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,"
                              "MATCHER:BruteForce-Hamming,";

std::vector<std::string> names(const Results& results) {
  std::vector<std::string> list;
  for (const auto& result : results) list.push_back(result->getName());
  return list;
}

double valueOf(const Result& result, const std::string& key) {
  for (const auto* entry : result.getKeyValues()) {
    if (entry->getKey() == key) return entry->getValue();
  }
  ADD_FAILURE() << "no " << key;
  return 0;
}

TEST(HierarchyItems, AllItemsUpToTheFirstEmptyOneAreReadInOnePass) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(hierarchyItems("VERTICAL;ROTATION;SCALE"), (Items{"VERTICAL", "ROTATION", "SCALE"}));
  EXPECT_EQ(hierarchyItems("VERTICAL;;SCALE"), Items{"VERTICAL"});
  EXPECT_EQ(hierarchyItems("VERTICAL;"), Items{"VERTICAL"});
  EXPECT_EQ(hierarchyItems(";VERTICAL"), Items{});
  EXPECT_EQ(hierarchyItems(""), Items{});
  EXPECT_EQ(hierarchyItems("SCALE ;tilt"), (Items{"SCALE ", "tilt"}));

  // As long as a command-line word can be, read in one pass.
  std::string many;
  for (int i = 0; i < 65000; ++i) many += "A;";
  const Items items = hierarchyItems(many + "SCALE");
  ASSERT_EQ(items.size(), 65001u);
  EXPECT_EQ(items.back(), "SCALE");
}

TEST(MakeChecker, KnowsOnlyTheExactNameAndChecksTheParametersOnce) {
  const Method* steps = findMethod("Stereolint");
  ASSERT_NE(steps, nullptr);
  EXPECT_EQ(makeChecker(steps, "A:1").value()->getParameters(), "A:1");
  for (const char* unknown : {"stereolint", "VERTICAL", ""}) EXPECT_EQ(findMethod(unknown), nullptr);
  EXPECT_EQ(makeChecker(nullptr, "A:1").value(), nullptr) << "an unknown method makes no checker";
  EXPECT_EQ(makeChecker(nullptr, "HIERARCHY:VERTICAL,WIDTH:0,HEIGHT:5").error(),
            "Wrong parameter WIDTH \"0\": a whole number of at least 1 is needed")
      << "read as the steps read them";
  EXPECT_NE(makeChecker(findMethod("Alignment"), "BAND:x").error().find("BAND"), std::string::npos);
}

class CombinedChecker : public ::testing::Test {
 protected:
  Results run(const std::string& parameters) const {
    return Stereolint(parameters).compute(nullptr, pair.left, pair.right);
  }
  test::StereoPair pair = test::verticallyShiftedPair({320, 240}, 4);
};

TEST_F(CombinedChecker, HierarchyChoosesTheStepsAndTheirOrder) {
  using List = std::vector<std::string>;
  EXPECT_EQ(names(run(kMatching + "HIERARCHY:VERTICAL;ROTATION;SCALE")),
            (List{"VERTICAL", "ROTATION", "SCALE"}));
  EXPECT_EQ(names(run(kMatching + "HIERARCHY:SCALE;VERTICAL")), (List{"SCALE", "VERTICAL"}));
  EXPECT_EQ(names(run(kMatching + "HIERARCHY:VERTICAL;;SCALE")), (List{"VERTICAL"}));
  EXPECT_EQ(names(run(kMatching + "HIERARCHY:VERTICAL;TILT;SCALE")), (List{"VERTICAL", "SCALE"}));
  EXPECT_TRUE(run(kMatching + "HIERARCHY:vertical").empty());
  EXPECT_TRUE(run(kMatching).empty());
  EXPECT_TRUE(run("").empty());
}

TEST_F(CombinedChecker, OneStepEqualsTheSingleChecker) {
  const Results combined = run(kMatching + "HIERARCHY:SCALE");
  const Results single = ScaleStereolint(kMatching).compute(nullptr, pair.left, pair.right);
  ASSERT_EQ(combined.size(), 1u);
  for (const char* key : {"ALL POINTS", "CALCULATION POINTS", "MEDIAN", "AVERAGE"}) {
    EXPECT_EQ(valueOf(*combined[0], key), valueOf(*single[0], key)) << key;
  }
}

TEST_F(CombinedChecker, RecurrencyMeasuresTheCorrectedViews) {
  const Results chained = run(kMatching + "HIERARCHY:VERTICAL;VERTICAL,RECURRENCY:TRUE");
  const Results separate = run(kMatching + "HIERARCHY:VERTICAL;VERTICAL,RECURRENCY:true");
  ASSERT_EQ(chained.size(), 2u);
  ASSERT_EQ(separate.size(), 2u);
  EXPECT_EQ(valueOf(*chained[0], "MEDIAN"), 4.0);
  EXPECT_EQ(valueOf(*separate[1], "MEDIAN"), 4.0) << "without chaining both steps see the pair";
  EXPECT_EQ(valueOf(*chained[1], "MEDIAN"), 0.0) << "the second step sees the corrected pair";
}

TEST_F(CombinedChecker, DeepViewsAreReducedOnceBeforeTheFirstStep) {
  cv::Mat left16, right16;
  pair.left.convertTo(left16, CV_16U, 256);
  pair.right.convertTo(right16, CV_16U, 256);
  const Results deep = Stereolint(kMatching + "HIERARCHY:VERTICAL;VERTICAL,RECURRENCY:TRUE")
                           .compute(nullptr, left16, right16);
  ASSERT_EQ(deep.size(), 2u);
  EXPECT_EQ(valueOf(*deep[0], "MEDIAN"), 4.0);
  EXPECT_EQ(valueOf(*deep[1], "MEDIAN"), 0.0);
}

TEST(FindImage, FirstMatchingRecordAndKey) {
  Results results;
  for (const char* name : {"VERTICAL", "SCALE"}) {
    Result::KeyImages images;
    images.push_back(std::make_unique<Result::KeyImage>(
        "CORRECT_LEFT", cv::Mat(1, 1, CV_8UC1, cv::Scalar(name[0]))));
    results.push_back(std::make_unique<Result>(name, Result::KeyValues{}, std::move(images)));
  }
  EXPECT_EQ(findImage(results, "CORRECT_LEFT", "").at<uchar>(0, 0), 'V');
  EXPECT_EQ(findImage(results, "CORRECT_LEFT", "SCALE").at<uchar>(0, 0), 'S');
  EXPECT_TRUE(findImage(results, "CORRECT_LEFT", "ROTATION").empty());
  EXPECT_TRUE(findImage(results, "MATCHES", "").empty());
}

}  // namespace
}  // namespace stereolint
