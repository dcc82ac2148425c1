#include "checkers/Statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace stereolint {
namespace {

std::vector<Disparity> records(std::initializer_list<double> values) {
  std::vector<Disparity> list;
  int x = 0;
  for (double value : values) list.emplace_back(cv::Point(x++, 0), value);
  return list;
}

TEST(Statistics, OneToFour) {
  const auto list = records({3, 1, 4, 2});
  EXPECT_EQ(count(list), 4.0);
  EXPECT_DOUBLE_EQ(average(list), 2.5);
  EXPECT_DOUBLE_EQ(standardDeviation(list), std::sqrt(1.25)) << "population form, not n - 1";
  EXPECT_DOUBLE_EQ(averageAbs(list), 2.5);
  EXPECT_DOUBLE_EQ(median(list), 2.5);
  EXPECT_DOUBLE_EQ(medianAbsoluteDeviation(list), 1.0);
  EXPECT_DOUBLE_EQ(maximumAbsolute(list), 4.0);
}

TEST(Statistics, MixedSigns) {
  const auto list = records({-3, 1, 2});
  EXPECT_DOUBLE_EQ(average(list), 0.0);
  EXPECT_DOUBLE_EQ(median(list), 1.0);
  EXPECT_DOUBLE_EQ(medianAbsoluteDeviation(list), 1.0);
  EXPECT_DOUBLE_EQ(averageAbs(list), 2.0);
  EXPECT_DOUBLE_EQ(maximumAbsolute(list), 3.0);
}

TEST(Statistics, AllZeroGivesZeroEverywhere) {
  const auto list = records({0});
  EXPECT_EQ(average(list), 0.0);
  EXPECT_EQ(standardDeviation(list), 0.0);
  EXPECT_EQ(median(list), 0.0);
  EXPECT_EQ(maximumAbsolute(list), 0.0);
  EXPECT_EQ(maximumAbsolute(records({0, -0.0, 0})), 0.0);
}

TEST(Statistics, EmptyListGivesZeroEverywhere) {
  const std::vector<Disparity> none;
  for (double value : {count(none), average(none), standardDeviation(none), averageAbs(none),
                       median(none), medianAbsoluteDeviation(none), maximumAbsolute(none)}) {
    EXPECT_EQ(value, 0.0);
  }
}

TEST(CalculationPoints, CutsATenthFromEachEndAfterSorting) {
  std::vector<Disparity> many;
  for (int i = 25; i >= 1; --i) many.emplace_back(cv::Point(i, i), i);
  const auto points = calculationPoints(many);
  ASSERT_EQ(points.size(), 21u);
  EXPECT_EQ(points.front().getValue(), 3.0);
  EXPECT_EQ(points.back().getValue(), 23.0);

  EXPECT_EQ(calculationPoints(records({9, 8, 7, 6, 5, 4, 3, 2, 1})).size(), 9u);
  EXPECT_EQ(calculationPoints(records({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})).size(), 8u);
  EXPECT_TRUE(calculationPoints({}).empty());
}

TEST(CalculationPoints, EqualValuesKeepTheirMeasuringOrder) {
  const auto points = calculationPoints(records({2, 1, 2, 1, 2}));
  ASSERT_EQ(points.size(), 5u);
  EXPECT_EQ(points[0].getPoint().x, 1);
  EXPECT_EQ(points[1].getPoint().x, 3);
  EXPECT_EQ(points[2].getPoint().x, 0);
  EXPECT_EQ(points[3].getPoint().x, 2);
  EXPECT_EQ(points[4].getPoint().x, 4);
}

}  // namespace
}  // namespace stereolint
