#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "checkers/depth/DepthFigures.h"

namespace stereolint {
namespace {

// The depth budget is read from every valid pixel of the map: the 2nd, 50th
// and 98th percentiles, interpolated between neighbouring values, whether
// the values are the matcher's sixteenths of a pixel (counted) or any
// others (ordered in place), with runs of equal values that end just where
// a percentile lies, and for a single valid pixel.
TEST(DepthFigures, ThePercentilesAreThoseOfEveryValidPixel) {
  enum class Values { Sixteenths, Any, Ties, One };
  cv::RNG rng(7);
  for (const Values kind : {Values::Sixteenths, Values::Any, Values::Ties, Values::One}) {
    cv::Mat map(90, 160, CV_32F, cv::Scalar(std::numeric_limits<float>::quiet_NaN()));
    std::vector<float> valid;
    const auto place = [&](int index, float value) {
      map.at<float>(index / map.cols, index % map.cols) = value;
      valid.push_back(value);
    };
    if (kind == Values::Ties) {
      // 101 values: the 2nd, 50th and 98th percentiles are the values of
      // ranks 2, 50 and 98 exactly, each the first of a new run.
      const int runs[] = {2, 48, 48, 3};
      for (int run = 0, index = 0; run < 4; ++run)
        for (int i = 0; i < runs[run]; ++i, index += 7) place(index, static_cast<float>(run - 1) / 16);
    } else if (kind == Values::One) {
      place(500, 1.25f);
    } else {
      for (int index = 0; index < static_cast<int>(map.total()); ++index) {
        if (rng.uniform(0, 4) == 0) continue;
        const double parallax = 2.0 + rng.gaussian(3.0);
        place(index, static_cast<float>(kind == Values::Any ? parallax
                                                            : std::round(parallax * 16) / 16));
      }
    }
    std::sort(valid.begin(), valid.end());
    const auto expected = [&](double p) {
      const double at = p * static_cast<double>(valid.size() - 1);
      const auto low = static_cast<size_t>(std::floor(at));
      const double a = valid[low];
      const double b = low + 1 < valid.size() ? valid[low + 1] : a;
      return (a + (b - a) * (at - static_cast<double>(low))) * (100.0 / map.cols);
    };
    const cv::Mat plain(map.size(), CV_8U, cv::Scalar(0));
    const auto figures = depthFigures(map, plain, WindowMasks{}, 1.0);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->nearPercent, expected(0.02)) << static_cast<int>(kind);
    EXPECT_EQ(figures->medianPercent, expected(0.50)) << static_cast<int>(kind);
    EXPECT_EQ(figures->farPercent, expected(0.98)) << static_cast<int>(kind);
  }
}

// The views' own window is the flat black columns at their edges and the
// edge blended with the picture; the dark edge of a picture, dimmed by a
// fade and a little differently in each eye, is content, beside a mask or
// not.
TEST(DepthFigures, AWindowIsTheFlatBlackColumnsAtAnEdge) {
  cv::Mat picture(120, 200, CV_8U);
  cv::randu(picture, 40, 220);
  cv::Mat left = picture.clone(), right = picture.clone();
  left.colRange(0, 12).setTo(4);
  cv::randu(left.col(12), 0, 16);  // the edge of a shrunk mask, blended with the picture
  right.colRange(180, 200).setTo(0);
  const WindowMasks masks = windowMasks(left, right);
  EXPECT_EQ(masks.leftViewLeft, 13);
  EXPECT_EQ(masks.rightViewLeft, 0);
  EXPECT_EQ(masks.leftViewRight, 0);
  EXPECT_EQ(masks.rightViewRight, 20);

  cv::Mat dimLeft, dimRight;
  picture.convertTo(dimLeft, CV_8U, 0.08);
  picture.convertTo(dimRight, CV_8U, 0.075);
  dimLeft.colRange(185, 200) *= 0.7;
  dimRight.colRange(170, 200) *= 0.7;
  dimRight.colRange(0, 10).setTo(0);
  const WindowMasks dim = windowMasks(dimLeft, dimRight);
  EXPECT_EQ(dim.leftViewLeft, 0);
  EXPECT_GE(dim.rightViewLeft, 10);
  EXPECT_LE(dim.rightViewLeft, 12) << "a mask's edge is at most two columns wide";
  EXPECT_EQ(dim.leftViewRight, 0);
  EXPECT_EQ(dim.rightViewRight, 0);
}

// Content in front of the screen cut by an edge violates the window where
// the picture has detail; a plain dark corner, where the matcher's value is
// carried in from elsewhere, does not.
TEST(DepthFigures, OnlyContentWithDetailViolatesTheWindow) {
  cv::Mat grey(120, 200, CV_8U);
  cv::randu(grey, 40, 220);
  grey(cv::Rect(150, 10, 50, 31)).setTo(10);
  cv::Mat map(grey.size(), CV_32F, cv::Scalar(0));
  map(cv::Rect(170, 10, 30, 31)).setTo(-3);  // plain
  map(cv::Rect(170, 70, 30, 31)).setTo(-3);  // with detail
  const auto figures = depthFigures(map, grey, WindowMasks{}, 2.0);
  ASSERT_TRUE(figures.has_value());
  EXPECT_EQ(figures->windowLeftPercent, 0);
  EXPECT_NEAR(figures->windowRightPercent, 100.0 * 31 / 120, 1e-9);
  EXPECT_EQ(figures->floatingWindowPixels, 7);  // (3 + 0.5) pixels of the map, twice
}

}  // namespace
}  // namespace stereolint
