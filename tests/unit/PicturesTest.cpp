#include "checkers/Pictures.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

namespace stereolint {
namespace {

const cv::Vec3b kRed(0, 0, 255), kBlue(255, 0, 0), kGrey(128, 128, 128);

TEST(Anaglyph, TakesRedFromTheLeftAndBlueGreenFromTheRight) {
  const cv::Mat red(4, 4, CV_8UC3, cv::Scalar(0, 0, 255));
  const cv::Mat blue(4, 4, CV_8UC3, cv::Scalar(255, 0, 0));
  EXPECT_EQ(anaglyph(red, blue).at<cv::Vec3b>(1, 1), cv::Vec3b(255, 0, 255));
  const cv::Mat mixed(4, 4, CV_8UC3, cv::Scalar(1, 2, 3));
  EXPECT_EQ(cv::norm(anaglyph(mixed, mixed), mixed, cv::NORM_INF), 0.0);
}

TEST(CirclesPicture, MarksValuesBeyondTheMedianScaledToTheLargest) {
  const cv::Mat view(300, 300, CV_8UC3, cv::Scalar::all(128));
  // Sorted as the checkers pass them: -4, 1, 2 (median 1, largest magnitude 4).
  const std::vector<Disparity> values = {{{80, 150}, -4.0}, {{150, 40}, 1.0}, {{220, 150}, 2.0}};
  const cv::Mat picture = circlesPicture(view, values);

  // -4: blue, radius 50 (probe below the label, which sits on the centre).
  EXPECT_EQ(picture.at<cv::Vec3b>(150 + 49, 80), kBlue);
  EXPECT_EQ(picture.at<cv::Vec3b>(150 + 51, 80), kGrey);
  // 2: red, radius 25.
  EXPECT_EQ(picture.at<cv::Vec3b>(150 + 24, 220), kRed);
  EXPECT_EQ(picture.at<cv::Vec3b>(150 + 26, 220), kGrey);
  // 1 is not above the median's magnitude: untouched.
  EXPECT_EQ(picture.at<cv::Vec3b>(40 + 5, 150), kGrey);
  // Labels are black and sit on the circles.
  cv::Mat black;
  cv::inRange(picture(cv::Rect(30, 130, 100, 40)), cv::Scalar::all(0), cv::Scalar::all(0), black);
  EXPECT_GT(cv::countNonZero(black), 20);
  EXPECT_EQ(view.at<cv::Vec3b>(150, 80), kGrey) << "the view itself is not drawn on";
}

TEST(CirclesPicture, NothingToMarkGivesAnUnmarkedCopy) {
  const cv::Mat view(50, 50, CV_8UC3, cv::Scalar::all(128));
  EXPECT_EQ(cv::norm(circlesPicture(view, {}), view, cv::NORM_INF), 0.0);
  const std::vector<Disparity> equal = {{{10, 10}, 3.0}, {{30, 30}, 3.0}};
  EXPECT_EQ(cv::norm(circlesPicture(view, equal), view, cv::NORM_INF), 0.0);
  // 0.001 of a largest 100 is radius 0: no circle, no label.
  const std::vector<Disparity> tiny = {{{10, 10}, -0.001}, {{20, 20}, 0.0}, {{30, 30}, 0.0},
                                       {{49, 49}, 100.0}};
  const cv::Mat picture = circlesPicture(view, tiny);
  EXPECT_EQ(picture.at<cv::Vec3b>(10, 10), kGrey);
}

TEST(MatchesPicture, PutsBothViewsSideBySide) {
  const cv::Mat left(30, 40, CV_8UC3, cv::Scalar::all(10));
  const cv::Mat right(30, 40, CV_8UC3, cv::Scalar::all(20));
  const FeatureMatches matches({cv::KeyPoint(5, 5, 1)}, {cv::KeyPoint(6, 6, 1)},
                               {cv::DMatch(0, 0, 0.f)});
  const cv::Mat picture = matchesPicture(left, right, matches);
  EXPECT_EQ(picture.size(), cv::Size(80, 30));
  EXPECT_EQ(picture.at<cv::Vec3b>(25, 35), cv::Vec3b(10, 10, 10));
  EXPECT_EQ(picture.at<cv::Vec3b>(25, 75), cv::Vec3b(20, 20, 20));
}

}  // namespace
}  // namespace stereolint
