#include <gtest/gtest.h>

#include "checkers/RotationStereolint.h"
#include "checkers/ScaleStereolint.h"
#include "checkers/Stereolint.h"
#include "checkers/VerticalStereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

// A 5-row view whose row r holds the value 10 * (r + 1) everywhere.
cv::Mat numberedRows() {
  cv::Mat view(5, 3, CV_8UC3);
  for (int r = 0; r < view.rows; ++r) view.row(r).setTo(cv::Scalar::all(10 * (r + 1)));
  return view;
}

std::vector<int> rowValues(const cv::Mat& view) {
  std::vector<int> values;
  for (int r = 0; r < view.rows; ++r) values.push_back(view.at<cv::Vec3b>(r, 0)[0]);
  return values;
}

TEST(VerticalCorrect, ShiftsByTheTruncatedAmountAndKeepsUncoveredRows) {
  const VerticalStereolint checker("");
  const cv::Mat view = numberedRows();
  EXPECT_EQ(rowValues(checker.correct(view, 2.9)), (std::vector<int>{10, 20, 10, 20, 30}));
  EXPECT_EQ(rowValues(checker.correct(view, -1.5)), (std::vector<int>{20, 30, 40, 50, 50}));
  EXPECT_EQ(rowValues(checker.correct(view, 5.0)), rowValues(view));
  EXPECT_EQ(rowValues(checker.correct(view, -1e300)), rowValues(view));
  EXPECT_EQ(rowValues(view), (std::vector<int>{10, 20, 30, 40, 50})) << "input untouched";
}

TEST(VerticalCorrect, WorksOnAViewIntoALargerPicture) {
  cv::Mat frame(10, 6, CV_8UC3, cv::Scalar::all(0));
  numberedRows().copyTo(frame(cv::Rect(3, 2, 3, 5)));
  const cv::Mat corrected = VerticalStereolint("").correct(frame(cv::Rect(3, 2, 3, 5)), 1.0);
  EXPECT_EQ(rowValues(corrected), (std::vector<int>{10, 10, 20, 30, 40}));
}

// A view with one white pixel: where it lands shows the centre and sense of
// a warp.
cv::Point whereTheDotGoes(const cv::Mat& warped) {
  cv::Mat grey;
  cv::extractChannel(warped, grey, 0);
  cv::Point brightest;
  cv::minMaxLoc(grey, nullptr, nullptr, nullptr, &brightest);
  return brightest;
}

cv::Mat dotAt(cv::Point dot) {
  cv::Mat view(50, 100, CV_8UC3, cv::Scalar::all(0));
  view.at<cv::Vec3b>(dot) = cv::Vec3b(255, 255, 255);
  return view;
}

TEST(RotationCorrect, TurnsAnticlockwiseAboutTheViewCentre) {
  const RotationStereolint checker("");
  // 20 pixels right of the centre (50, 25) goes 20 pixels above it.
  EXPECT_EQ(whereTheDotGoes(checker.correct(dotAt({70, 25}), 90.0)), cv::Point(50, 5));
  const cv::Mat view = test::texturedPicture({100, 50});
  EXPECT_EQ(cv::norm(checker.correct(view, 0.0), view, cv::NORM_INF), 0.0);
}

TEST(RotationCorrect, LeavesUncoveredCornersBlack) {
  const cv::Mat white(50, 100, CV_8UC3, cv::Scalar::all(255));
  const cv::Mat turned = RotationStereolint("").correct(white, 30.0);
  EXPECT_EQ(turned.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 0));
  EXPECT_EQ(turned.at<cv::Vec3b>(25, 50), cv::Vec3b(255, 255, 255));
}

TEST(ScaleCorrect, ScalesAboutTheViewCentre) {
  const ScaleStereolint checker("");
  const cv::Mat view = test::texturedPicture({100, 50});
  EXPECT_EQ(cv::norm(checker.correct(view, 1.0), view, cv::NORM_INF), 0.0);
  EXPECT_EQ(whereTheDotGoes(checker.correct(dotAt({60, 25}), 2.0)), cv::Point(70, 25));
  const cv::Mat half = checker.correct(cv::Mat(50, 100, CV_8UC3, cv::Scalar::all(255)), 0.5);
  EXPECT_EQ(half.at<cv::Vec3b>(2, 2), cv::Vec3b(0, 0, 0)) << "black frame around the half view";
  EXPECT_EQ(half.at<cv::Vec3b>(25, 50), cv::Vec3b(255, 255, 255));
}

TEST(CombinedCorrect, IsACopyWhateverTheAmount) {
  const cv::Mat view = test::texturedPicture({64, 48});
  const cv::Mat copy = Stereolint("").correct(view, 12.5);
  EXPECT_EQ(cv::norm(copy, view, cv::NORM_INF), 0.0);
  EXPECT_NE(copy.data, view.data);
}

}  // namespace
}  // namespace stereolint
