// The geometry of a shot's correction: the right eye's homography agrees
// with the alignment method's own model of the misalignment, half of it on
// each eye makes the same correction, and the crop takes only what the warp
// leaves empty.
#include <gtest/gtest.h>

#include <cmath>

#include "checkers/alignment/AlignmentFit.h"
#include "corrections/CropFit.h"
#include "corrections/EyeWarp.h"

namespace stereolint::corrections {
namespace {

const cv::Size kView(1920, 1080);

// The model the alignment method fits for a right view moved down `rows`,
// turned `degrees` anticlockwise on screen and enlarged `scale` times about
// its centre (see DisparityModel).
DisparityModel modelOf(double rows, double degrees, double scale) {
  const double t = degrees * 3.14159265358979323846 / 180;
  DisparityModel model;
  model.centre = {kView.width / 2.0, kView.height / 2.0};
  model.roll = std::sin(t) / scale;
  model.scale = std::cos(t) / scale - 1;
  model.offset = -rows * std::cos(t) / scale;
  return model;
}

TEST(Corrections, TheRightEyesWarpIsTheAlignmentMethodsCorrection) {
  const DisparityModel model = modelOf(6, 0.4, 1.01);
  ASSERT_NEAR(model.rotationDegrees(), -0.4, 1e-9) << "as the alignment method reads it";
  const Misalignment measured{model.offset, model.rotationDegrees(), model.scaleRatio(), 0};
  const cv::Matx33d warp = rightCorrection(measured, kView);
  for (const cv::Point2d right : {cv::Point2d(0, 0), cv::Point2d(1919, 0), cv::Point2d(960, 540),
                                  cv::Point2d(100, 1000), cv::Point2d(1800, 900)}) {
    const cv::Point2d expected = model.aligned(right);
    const cv::Point2d corrected = applyWarp(warp, right);
    EXPECT_NEAR(corrected.x, expected.x, 1e-9);
    EXPECT_NEAR(corrected.y, expected.y, 1e-9);
  }
  const WarpReading reading = readWarp(warp, kView);
  EXPECT_NEAR(reading.clockwise, 0.4, 1e-9) << "a view turned anticlockwise is turned back";
  EXPECT_NEAR(reading.scale, 1 / 1.01, 1e-9);
}

TEST(Corrections, HalfOnEachEyeMakesTheSameCorrection) {
  const cv::Matx33d whole = rightCorrection({-3, 0.3, 1.008, 1.5}, kView);
  const cv::Matx33d half = halfWarp(whole);
  // The left eye takes the inverse half: right eye through `half` meets the
  // left eye through its inverse exactly where `whole` puts the right eye.
  const cv::Matx33d sameFrame = half * half;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(sameFrame(r, c) / sameFrame(2, 2), whole(r, c), 1e-9);
}

TEST(Corrections, TheCropTakesTheRowsAVerticalMoveEmpties) {
  const cv::Matx33d down = rightCorrection({-6, 0, 1, 0}, kView);
  const Crop crop =
      fitCrop({warpedOutline(cv::Matx33d::eye(), kView), warpedOutline(down, kView)}, kView, 0);
  EXPECT_NEAR(crop.fraction, (1080.0 - 6) / 1080, 1e-6);
  EXPECT_NEAR(crop.centre.x, (1920 - 1) / 2.0, 1e-6) << "no reason to prefer a side";
  EXPECT_NEAR(crop.centre.y, (1080 - 1) / 2.0 - 3, 1e-6) << "the rows both eyes fill";
  const Crop none = fitCrop({warpedOutline(cv::Matx33d::eye(), kView)}, kView, 0);
  EXPECT_DOUBLE_EQ(none.fraction, 1);
}

}  // namespace
}  // namespace stereolint::corrections
