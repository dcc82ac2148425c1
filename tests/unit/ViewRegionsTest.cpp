#include <gtest/gtest.h>

#include "sources/ViewRegions.h"

namespace stereolint {
namespace {

TEST(ViewRegions, CutsTheFrameInHalvesAndDropsAnOddLine) {
  const auto sideBySide = viewRegions("VERTICALLY", 1920, 1080);
  ASSERT_TRUE(sideBySide.has_value());
  EXPECT_EQ(sideBySide->first, cv::Rect(0, 0, 960, 1080));
  EXPECT_EQ(sideBySide->second, cv::Rect(960, 0, 960, 1080));

  const auto aboveEachOther = viewRegions("HORIZONTALLY", 1920, 1081);
  ASSERT_TRUE(aboveEachOther.has_value());
  EXPECT_EQ(aboveEachOther->first, cv::Rect(0, 0, 1920, 540));
  EXPECT_EQ(aboveEachOther->second, cv::Rect(0, 540, 1920, 540));

  EXPECT_EQ(viewRegions("VERTICALLY", 1921, 3)->second, cv::Rect(960, 0, 960, 3));
  EXPECT_EQ(viewRegions("VERTICALLY", 1, 3)->second, cv::Rect(0, 0, 0, 3));
}

TEST(ViewRegions, NoOrientationUsesWholeInputsAndAnUnknownOneEmptyViews) {
  EXPECT_FALSE(viewRegions("", 1920, 1080).has_value());
  for (const char* word : {"vertically", "DIAGONALLY"}) {
    const auto regions = viewRegions(word, 1920, 1080);
    ASSERT_TRUE(regions.has_value()) << word;
    EXPECT_TRUE(regions->first.empty() && regions->second.empty()) << word;
  }
}

TEST(ViewRegions, AFrameOnePixelAcrossHoldsNoViews) {
  EXPECT_TRUE(regionsHoldViews(std::nullopt)) << "whole inputs are views";
  EXPECT_TRUE(regionsHoldViews(viewRegions("VERTICALLY", 2, 1)));
  EXPECT_FALSE(regionsHoldViews(viewRegions("VERTICALLY", 1, 1080)));
  EXPECT_FALSE(regionsHoldViews(viewRegions("HORIZONTALLY", 1920, 1)));
  EXPECT_TRUE(regionsHoldViews(viewRegions("HORIZONTALLY", 1, 2)));
}

}  // namespace
}  // namespace stereolint
