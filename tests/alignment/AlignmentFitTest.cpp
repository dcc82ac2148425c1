// The model fit on synthetic correspondences whose misalignment is known
// exactly: a rig whose right view is turned, scaled and moved, seen through
// a scene with depth (horizontal parallax up to a fifth of the width).
#include <gtest/gtest.h>

#include <cmath>

#include "checkers/alignment/AlignmentFit.h"

namespace stereolint {
namespace {

constexpr double kPi = 3.14159265358979323846;
const cv::Point2d kCentre(960, 540);

struct Misalignment {
  double rows;     // right view moved down
  double degrees;  // right view turned anticlockwise on screen
  double scale;    // right view enlarged
};

// Correspondences of a grid of scene points: the left view sees each at its
// grid position, an aligned right view at the same row and `parallax`
// columns to the side (varying with the point), the misaligned right view
// where the misalignment moves that.
std::vector<PointPair> rigPairs(const Misalignment& m) {
  const double t = m.degrees * kPi / 180;
  std::vector<PointPair> pairs;
  cv::RNG rng(3);
  for (int gx = 0; gx < 12; ++gx) {
    for (int gy = 0; gy < 8; ++gy) {
      const cv::Point2d left(100 + 150.0 * gx, 80 + 130.0 * gy);
      const double parallax = rng.uniform(-380.0, 50.0);
      const double x0 = left.x + parallax - kCentre.x, y0 = left.y - kCentre.y;
      const cv::Point2d right(
          kCentre.x + m.scale * (std::cos(t) * x0 + std::sin(t) * y0),
          kCentre.y + m.scale * (-std::sin(t) * x0 + std::cos(t) * y0) + m.rows);
      pairs.push_back({left, right});
    }
  }
  return pairs;
}

TEST(AlignmentFit, RecoversRowsTurnAndScaleExactlyWhateverTheParallax) {
  for (const Misalignment& m : {Misalignment{2.5, 0.0, 1.0}, Misalignment{0.0, 1.0, 1.0},
                                Misalignment{0.0, 0.0, 1.02}, Misalignment{-4.0, -0.7, 0.985}}) {
    DisparityModel model;
    ASSERT_TRUE(fitLeastSquares(rigPairs(m), kCentre, model));
    const double t = m.degrees * kPi / 180;
    EXPECT_NEAR(model.offset, -m.rows * std::cos(t) / m.scale, 1e-9);
    EXPECT_NEAR(model.rotationDegrees(), -m.degrees, 1e-9);
    EXPECT_NEAR(model.scaleRatio(), 1 / m.scale, 1e-12);
    EXPECT_NEAR(model.keystone, 0, 1e-12);
  }
}

TEST(AlignmentFit, UndoingTheModelPutsRightPointsOnTheirLeftRows) {
  const std::vector<PointPair> pairs = rigPairs({3.0, 0.8, 1.015});
  DisparityModel model;
  ASSERT_TRUE(fitLeastSquares(pairs, kCentre, model));
  for (const PointPair& pair : pairs) EXPECT_NEAR(model.aligned(pair.right).y, pair.left.y, 1e-8);
}

TEST(AlignmentFit, RecoversATrapezoid) {
  // dy = 0.5 + 2 rows at the corners through the x*y term.
  const double keystone = 2.0 / (kCentre.x * kCentre.y);
  std::vector<PointPair> pairs;
  for (int gx = 0; gx < 10; ++gx) {
    for (int gy = 0; gy < 10; ++gy) {
      const cv::Point2d right(50 + 190.0 * gx, 40 + 110.0 * gy);
      const double dy = 0.5 + keystone * (right.x - kCentre.x) * (right.y - kCentre.y);
      pairs.push_back({right + cv::Point2d(30, dy), right});
    }
  }
  DisparityModel model;
  ASSERT_TRUE(fitLeastSquares(pairs, kCentre, model));
  EXPECT_NEAR(model.offset, 0.5, 1e-9);
  EXPECT_NEAR(model.keystone * kCentre.x * kCentre.y, 2.0, 1e-9);
  EXPECT_NEAR(model.rotationDegrees(), 0, 1e-9);
}

TEST(AlignmentFit, RobustFitIgnoresWrongMatchesAndFlagsThem) {
  std::vector<PointPair> pairs = rigPairs({1.5, 0.4, 1.01});
  cv::RNG rng(11);
  std::vector<bool> wrong(pairs.size(), false);
  for (size_t i = 0; i < pairs.size(); i += 3) {  // a third of the matches are wrong
    pairs[i].right.y += rng.uniform(4.0, 30.0) * (i % 2 == 0 ? 1 : -1);
    wrong[i] = true;
  }
  DisparityModel model;
  std::vector<bool> inliers;
  ASSERT_TRUE(fitRobust(pairs, kCentre, 1.0, model, inliers));
  EXPECT_NEAR(model.rotationDegrees(), -0.4, 1e-9);
  EXPECT_NEAR(model.scaleRatio(), 1 / 1.01, 1e-12);
  for (size_t i = 0; i < pairs.size(); ++i) EXPECT_EQ(inliers[i], !wrong[i]) << "pair " << i;

  DisparityModel again;
  std::vector<bool> inliersAgain;
  ASSERT_TRUE(fitRobust(pairs, kCentre, 1.0, again, inliersAgain));
  EXPECT_EQ(again.offset, model.offset);
  EXPECT_EQ(again.roll, model.roll);
}

TEST(AlignmentFit, RefusesTooFewOrCollinearPoints) {
  DisparityModel model;
  std::vector<bool> inliers;
  std::vector<PointPair> pairs = rigPairs({1, 0, 1});
  pairs.resize(3);
  EXPECT_FALSE(fitLeastSquares(pairs, kCentre, model));
  EXPECT_FALSE(fitRobust(pairs, kCentre, 1.0, model, inliers));

  std::vector<PointPair> onOneRow;
  for (int i = 0; i < 20; ++i) onOneRow.push_back({{100.0 + 50 * i, 300}, {90.0 + 50 * i, 301}});
  EXPECT_FALSE(fitLeastSquares(onOneRow, kCentre, model));
}

TEST(AlignmentFit, RobustSpreadReadsTheStandardDeviationDespiteOutliers) {
  cv::RNG rng(5);
  std::vector<double> values;
  for (int i = 0; i < 4000; ++i) values.push_back(rng.gaussian(0.2));
  for (int i = 0; i < 200; ++i) values.push_back(50.0);
  EXPECT_NEAR(robustSpread(values), 0.2, 0.02);
  EXPECT_EQ(robustSpread({}), 0.0);
}

}  // namespace
}  // namespace stereolint
