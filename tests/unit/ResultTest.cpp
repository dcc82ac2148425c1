#include "results/Result.h"

#include <gtest/gtest.h>

namespace stereolint {
namespace {

TEST(Result, KeepsNameAndEntryOrder) {
  Result::KeyValues values;
  values.push_back(std::make_unique<Result::KeyValue>("MEDIAN", 1.5));
  values.push_back(std::make_unique<Result::KeyValue>("AVERAGE", -2.0));
  values.push_back(std::make_unique<Result::KeyValue>("TIME", 3.0));
  Result::KeyImages images;
  images.push_back(std::make_unique<Result::KeyImage>("MATCHES", cv::Mat(2, 2, CV_8UC3)));
  images.push_back(std::make_unique<Result::KeyImage>("ANAGLYPH_BEFORE", cv::Mat()));
  const Result result("ROTATION", std::move(values), std::move(images));

  EXPECT_EQ(result.getName(), "ROTATION");
  const auto keyValues = result.getKeyValues();
  ASSERT_EQ(keyValues.size(), 3u);
  EXPECT_EQ(keyValues[0]->getKey(), "MEDIAN");
  EXPECT_EQ(keyValues[1]->getValue(), -2.0);
  EXPECT_EQ(keyValues[2]->getKey(), "TIME");
  const auto keyImages = result.getKeyImages();
  ASSERT_EQ(keyImages.size(), 2u);
  EXPECT_EQ(keyImages[0]->getKey(), "MATCHES");
  EXPECT_TRUE(keyImages[1]->getImage().empty());
}

TEST(Result, ImagesShareTheirPixels) {
  cv::Mat picture(4, 4, CV_8UC1, cv::Scalar(0));
  Result::KeyImages images;
  images.push_back(std::make_unique<Result::KeyImage>("CIRCLES", picture));
  const Result result("VERTICAL", {}, std::move(images));
  picture.at<uchar>(1, 2) = 77;
  EXPECT_EQ(result.getKeyImages()[0]->getImage().at<uchar>(1, 2), 77);
}

TEST(Result, EmptyListsAreValid) {
  const Result result("SCALE", {}, {});
  EXPECT_TRUE(result.getKeyValues().empty());
  EXPECT_TRUE(result.getKeyImages().empty());
}

}  // namespace
}  // namespace stereolint
