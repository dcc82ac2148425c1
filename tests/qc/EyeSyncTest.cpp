// The offset between the eyes, estimated from synthetic footage whose right
// eye is late (or early) by a known number of frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "QcTestData.h"
#include "qc/EyeSync.h"
#include "report/ReportJson.h"
#include "report/ReportMerge.h"
#include "support/MovingFootage.h"

namespace stereolint::qc {
namespace {

using test::Motion;

EyeSync estimateOf(const std::vector<test::StereoPair>& pairs) {
  EyeSyncEstimator estimator;
  for (const auto& pair : pairs) estimator.add(pair.left, pair.right);
  return estimator.estimate();
}

std::string described(const EyeSync& sync) {
  return std::string(eyeSyncStatusName(sync.status)) + " offset " + std::to_string(sync.offset) +
         " confidence " + std::to_string(sync.confidence) + " " + sync.reason;
}

TEST(EyeSync, FindsEveryOffsetWithinTheRangeInBothDirections) {
  for (int delay = -kMaxEyeOffset; delay <= kMaxEyeOffset; ++delay) {
    const EyeSync sync = estimateOf(test::movingPairs(40, {192, 108}, delay, Motion::Pan));
    EXPECT_EQ(sync.status, EyeSyncStatus::Measured) << described(sync);
    EXPECT_EQ(sync.offset, delay) << described(sync);
  }
}

TEST(EyeSync, FindsTheOffsetFromObjectsMovingBeforeAStillCameraWithParallax) {
  for (const int delay : {-4, 0, 1, 3}) {
    const EyeSync sync = estimateOf(test::movingPairs(40, {192, 108}, delay, Motion::Objects, 8));
    EXPECT_EQ(sync.status, EyeSyncStatus::Measured) << described(sync);
    EXPECT_EQ(sync.offset, delay) << described(sync);
  }
}

// Two eyes cut from the frames of real footage: the right one `parallax`
// columns further right, turned 0.5 degrees, enlarged 1 %, 6 rows lower and
// darker, and `delay` frames late.
struct FootageEyes {
  std::vector<cv::Mat> lefts, rights;

  explicit FootageEyes(const std::string& path) {
    cv::VideoCapture capture(path);
    cv::Mat frame;
    for (int k = 0; k < kEyeSyncFrames + 2 * kMaxEyeOffset && capture.read(frame); ++k) {
      const int parallax = frame.cols / 40;
      const cv::Rect leftArea(8, 0, frame.cols - 16 - parallax, frame.rows);
      const cv::Point2f centre(static_cast<float>(frame.cols) / 2,
                               static_cast<float>(frame.rows) / 2);
      cv::Mat misalign = cv::getRotationMatrix2D(centre, 0.5, 1.01);
      misalign.at<double>(1, 2) += 6;
      cv::Mat right;
      cv::warpAffine(frame, right, misalign, frame.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
      right.convertTo(right, -1, 0.9, -10);
      lefts.push_back(frame(leftArea).clone());
      rights.push_back(right(leftArea + cv::Point(parallax, 0)).clone());
    }
  }
  EyeSync estimate(int delay) const {
    EyeSyncEstimator estimator;
    for (int t = kMaxEyeOffset; t + kMaxEyeOffset < static_cast<int>(lefts.size()); ++t) {
      estimator.add(lefts[static_cast<size_t>(t)], rights[static_cast<size_t>(t - delay)]);
    }
    return estimator.estimate();
  }
};

TEST(EyeSync, FindsTheOffsetInRealFootageWithMisalignedEyes) {
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  if (!std::filesystem::exists(data + "vtest.avi")) GTEST_SKIP() << "opencv-doc is not installed";
  // People walking before a still camera, and a tree in the wind.
  for (const auto& [clip, delays] :
       {std::pair<const char*, std::vector<int>>{"vtest.avi", {-4, 0, 3}},
        std::pair<const char*, std::vector<int>>{"tree.avi", {-1, 5}}}) {
    const FootageEyes eyes(data + clip);
    for (const int delay : delays) {
      const EyeSync sync = eyes.estimate(delay);
      EXPECT_EQ(sync.status, EyeSyncStatus::Measured) << clip << ": " << described(sync);
      EXPECT_EQ(sync.offset, delay) << clip << ": " << described(sync);
    }
  }
}

TEST(EyeSync, AStillSceneCannotTell) {
  const EyeSync sync = estimateOf(test::movingPairs(40, {192, 108}, 2, Motion::Still));
  EXPECT_EQ(sync.status, EyeSyncStatus::CannotTell);
  EXPECT_NE(sync.reason.find("barely moves"), std::string::npos) << sync.reason;
}

TEST(EyeSync, ASteadySidewaysPanCannotTellRatherThanMistakeParallaxForDelay) {
  // Moved sideways at a constant speed, a late eye looks like parallax.
  const EyeSync sync = estimateOf(test::movingPairs(40, {192, 108}, 2, Motion::SteadyPan));
  EXPECT_EQ(sync.status, EyeSyncStatus::CannotTell) << described(sync);
}

TEST(EyeSync, TooFewFramesCannotTell) {
  const EyeSync sync = estimateOf(test::movingPairs(12, {192, 108}, 2, Motion::Pan));
  EXPECT_EQ(sync.status, EyeSyncStatus::CannotTell);
  EXPECT_NE(sync.reason.find("only 12 consecutive frames"), std::string::npos) << sync.reason;
}

TEST(EyeSync, ADifferenceOfExposureBetweenTheEyesDoesNotMatter) {
  auto pairs = test::movingPairs(40, {192, 108}, -2, Motion::Pan);
  for (auto& pair : pairs) pair.right.convertTo(pair.right, -1, 0.8, 30);
  const EyeSync sync = estimateOf(pairs);
  EXPECT_EQ(sync.offset, -2) << described(sync);
}

TEST(EyeSync, SixteenBitViewsReadAsTheirEightBitViews) {
  auto pairs = test::movingPairs(30, {192, 108}, 3, Motion::Pan);
  EyeSyncEstimator deep;
  for (auto& pair : pairs) {
    cv::Mat left16, right16;
    pair.left.convertTo(left16, CV_16U, 257.0);
    pair.right.convertTo(right16, CV_16U, 257.0);
    deep.add(left16, right16);
  }
  EXPECT_EQ(deep.estimate().offset, 3) << described(deep.estimate());
}

TEST(EyeSync, TheEstimateReadsBackFromTheReportAndMergingKeepsTheFullerOne) {
  report::ReportContent part1 = test::fourShotTake();
  report::ReportContent part2 = part1;
  part1.eyeSync = {
      EyeSyncStatus::CannotTell, 0, 0, "only 15 frames were read, 21 are needed", 15, 40, 40};
  part2.eyeSync = {EyeSyncStatus::Measured, -2, 0.87, "", 40, 40, 40};
  for (const report::ReportContent& content : {part1, part2}) {
    const auto read = report::readReportJson(report::reportJson(content), "report.json");
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read.value().eyeSync, content.eyeSync) << eyeSyncSentence(content.eyeSync);
  }
  const auto merged = report::mergeReports({{"a/report.json", part1}, {"b/report.json", part2}});
  ASSERT_TRUE(merged) << merged.error();
  EXPECT_EQ(eyeSyncSentence(merged.value().eyeSync),
            "The left eye is 2 frames behind the right (confidence 0.87)");
}

}  // namespace
}  // namespace stereolint::qc
