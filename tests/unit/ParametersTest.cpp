#include <gtest/gtest.h>

#include "checkers/StereolintInterface.h"

namespace stereolint {
namespace {

// The smallest checker: only the parameters matter here.
class ParametersOnly : public StereolintInterface {
 public:
  using StereolintInterface::StereolintInterface;
  cv::Mat correct(cv::Mat view, double) const override { return view; }
  Results compute(const FeatureMatches*, cv::Mat, cv::Mat) const override { return {}; }
  cv::Mat visualize(const Results&) const override { return {}; }
};

std::string value(const std::string& parameters, const std::string& key) {
  return ParametersOnly(parameters).getParameter(key);
}

TEST(GetParameter, FindsKeysExactly) {
  EXPECT_EQ(value("A:1,B:2", "B"), "2");
  EXPECT_EQ(value("A:1,B:2", "b"), "");
  EXPECT_EQ(value("A:1,B:2", "C"), "");
  EXPECT_EQ(value("", "A"), "");
  EXPECT_EQ(value(" A:1", "A"), "") << "blanks are part of the name";
}

TEST(GetParameter, FirstEntryWins) { EXPECT_EQ(value("WIDTH:5,WIDTH:9", "WIDTH"), "5"); }

TEST(GetParameter, ValueMayHoldAColon) { EXPECT_EQ(value("WIDTH:5:x", "WIDTH"), "5:x"); }

TEST(GetParameter, EmptyEntriesArePassedOver) {
  EXPECT_EQ(value(",,HEIGHT:7", "HEIGHT"), "7");
  EXPECT_EQ(value("A:1,,,B:", "B"), "");
}

TEST(GetParameter, EntryWithoutColonIsItsOwnValue) {
  EXPECT_EQ(value("DISTRIBUTION:TRUE,WIDTH", "WIDTH"), "WIDTH");
}

TEST(GetParameter, NeverChangesTheStoredString) {
  const ParametersOnly checker("A:1,B:2");
  checker.getParameter("B");
  EXPECT_EQ(checker.getParameters(), "A:1,B:2");
}

}  // namespace
}  // namespace stereolint
