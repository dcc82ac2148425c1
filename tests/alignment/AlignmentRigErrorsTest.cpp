// The stated standard errors on a real rig: the image library's calibration
// pairs (wide-angle lenses, a chessboard on part of the view) measured as
// they are and with a known extra offset, turn or scale of the right view.
// The change of the measures minus what the transform predicts is the error
// of the pair of measurements; where both say OK, it must be small and
// within twice the combined stated errors in 95 % of cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "AlignmentTestViews.h"
#include "checkers/alignment/AlignmentMeasurement.h"

namespace stereolint {
namespace {

struct Transform {
  const char* kind;
  double rows, degrees, scale;
};

const Transform kTransforms[] = {
    {"offset", 2, 0, 1},     {"offset", -2, 0, 1},    {"offset", 5, 0, 1},
    {"offset", -5, 0, 1},    {"roll", 0, 0.2, 1},     {"roll", 0, -0.2, 1},
    {"roll", 0, 0.5, 1},     {"roll", 0, -0.5, 1},    {"scale", 0, 0, 0.99},
    {"scale", 0, 0, 1.01},
};

// The model the transformed pair must read, from the untransformed pair's
// model: the right view's points moved as test::misalign moves them, the
// model fitted through a grid of such points.
DisparityModel predicted(const DisparityModel& base, cv::Size size, const Transform& t) {
  const cv::Point2f centre(static_cast<float>(size.width) / 2, static_cast<float>(size.height) / 2);
  cv::Mat forward = cv::getRotationMatrix2D(centre, t.degrees, t.scale);
  forward.at<double>(1, 2) += t.rows;
  cv::Mat backward;
  cv::invertAffineTransform(forward, backward);
  const cv::Matx23d b(backward);
  std::vector<PointPair> grid;
  for (int i = 0; i <= 20; ++i) {
    for (int j = 0; j <= 15; ++j) {
      const cv::Point2d moved(size.width * i / 20.0, size.height * j / 15.0);
      const cv::Point2d was(b(0, 0) * moved.x + b(0, 1) * moved.y + b(0, 2),
                            b(1, 0) * moved.x + b(1, 1) * moved.y + b(1, 2));
      grid.push_back({{was.x, was.y + base.at(was)}, moved});
    }
  }
  DisparityModel model;
  EXPECT_TRUE(fitLeastSquares(grid, base.centre, model));
  return model;
}

struct Tally {
  int cases = 0, bothOk = 0;
  int covered[3] = {0, 0, 0};
  double worst[3] = {0, 0, 0};
};

TEST(AlignmentOnARig, StatedErrorsCoverKnownChangesAndOkFramesAreClose) {
  const std::string folder = "/usr/share/doc/opencv-doc/examples/data/";
  Tally all, fitted;
  std::vector<std::pair<std::string, Tally>> kinds = {{"offset", {}}, {"roll", {}}, {"scale", {}}};
  int okFrames = 0, frames = 0;
  for (const char* number : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "11", "12",
                             "13", "14"}) {
    const cv::Mat left = cv::imread(folder + "left" + number + ".jpg", cv::IMREAD_COLOR);
    const cv::Mat right = cv::imread(folder + "right" + number + ".jpg", cv::IMREAD_COLOR);
    if (left.empty() || right.empty()) continue;
    const AlignmentMeasurement base = measureAlignment(left, right, AlignmentOptions{});
    ++frames;
    okFrames += base.status == FrameStatus::Ok;
    for (const Transform& t : kTransforms) {
      const AlignmentMeasurement m = measureAlignment(
          left, test::misalign(right, t.rows, t.degrees, t.scale), AlignmentOptions{});
      ++frames;
      okFrames += m.status == FrameStatus::Ok;
      Tally& kind = std::find_if(kinds.begin(), kinds.end(),
                                 [&](const auto& k) { return k.first == t.kind; })->second;
      ++all.cases;
      ++kind.cases;
      if (!base.errors || !m.errors) continue;
      const bool bothOk = base.status == FrameStatus::Ok && m.status == FrameStatus::Ok;
      const DisparityModel expected = predicted(base.model, left.size(), t);
      const double error[3] = {m.vertical - expected.offset,
                               m.rotationDegrees - expected.rotationDegrees(),
                               m.scale - expected.scaleRatio()};
      const double stated[3] = {std::hypot(base.errors->vertical, m.errors->vertical),
                                std::hypot(base.errors->rotation, m.errors->rotation),
                                std::hypot(base.errors->scale, m.errors->scale)};
      const auto count = [&](Tally& tally) {
        ++tally.bothOk;
        for (int q = 0; q < 3; ++q) {
          tally.covered[q] += std::fabs(error[q]) <= 2 * stated[q];
          tally.worst[q] = std::max(tally.worst[q], std::fabs(error[q]));
        }
      };
      // For information: how the errors hold on every fitted frame, OK or not.
      ++fitted.cases;
      count(fitted);
      if (!bothOk) continue;
      count(all);
      count(kind);
      EXPECT_LE(std::fabs(error[0]), 0.3) << "pair " << number << " " << t.kind;
      EXPECT_LE(std::fabs(error[1]), 0.05) << "pair " << number << " " << t.kind;
      EXPECT_LE(std::fabs(error[2]), 0.002) << "pair " << number << " " << t.kind;
    }
  }
  if (frames == 0) GTEST_SKIP() << "opencv-doc's calibration pairs are not installed";
  std::printf("%d of %d frames OK\n", okFrames, frames);
  std::printf("%-8s %5s %7s %22s %28s\n", "change", "cases", "both OK", "covered (V/R/S)",
              "worst |error| rows/deg/ratio");
  kinds.emplace_back("all", all);
  kinds.emplace_back("fitted", fitted);  // both fitted with errors, OK or not
  for (const auto& [name, t] : kinds) {
    std::printf("%-8s %5d %7d %7d %6d %6d %10.3f %8.4f %8.5f\n", name.c_str(), t.cases, t.bothOk,
                t.covered[0], t.covered[1], t.covered[2], t.worst[0], t.worst[1], t.worst[2]);
  }
  for (int q = 0; q < 3; ++q) EXPECT_GE(all.covered[q], 0.95 * all.bothOk) << "quantity " << q;
}

}  // namespace
}  // namespace stereolint
