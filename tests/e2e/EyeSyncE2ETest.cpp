// The eyes' timing through the real binary: a pair of videos whose right eye
// is late, the same pair in step, and image sequences of different lengths
// over a still scene.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/MovingFootage.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::Motion;
using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "HIERARCHY:VERTICAL";
constexpr int kFrames = 32;
const cv::Size kView(192, 108);

class EyeSyncRuns : public ::testing::Test {
 protected:
  // Every frame is analysed: frames before a selected one are not read.
  ProcessResult run(const std::vector<std::string>& inputs, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2",
                                          "-r", "out/",    "-p", kParameters,  "-i"};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  void writeVideos(int delay) {
    const auto pairs = test::movingPairs(kFrames, kView, delay, Motion::Pan);
    ASSERT_TRUE(test::writeVideo(folder.file("left.avi"), test::leftViews(pairs), "MJPG"));
    ASSERT_TRUE(test::writeVideo(folder.file("right.avi"), test::rightViews(pairs), "MJPG"));
  }
  test::TempFolder folder;
};

TEST_F(EyeSyncRuns, ARightEyeThreeFramesLateIsReportedAndGoesIntoTheReport) {
  writeVideos(3);
  const ProcessResult result =
      run({"left.avi", "right.avi"}, {"--qc", "--pictures", "none", "--fail-on", "reject"});
  // Each eye shows another moment: the take fails whatever its alignment.
  ASSERT_EQ(result.exitCode, 3) << result.err;
  EXPECT_NE(result.out.find("\nEyes REJECT: the right eye is 3 frames behind the left "
                            "(confidence "),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("every judged shot is REJECT\nTake REJECT: "), std::string::npos)
      << result.out;
  EXPECT_NE(result.err.find("Warning: \n\t[runtime phase]: ConsoleApplication::run - [eyes]\n"
                            "\t[message      ]: The right eye is 3 frames behind the left "
                            "(confidence "),
            std::string::npos)
      << result.err;
  std::ifstream file(folder.file("out/report.json"));
  const nlohmann::json sync = nlohmann::json::parse(file).at("eye_sync");
  EXPECT_EQ(sync.at("status"), "measured");
  EXPECT_EQ(sync.at("offset"), 3);
  EXPECT_EQ(sync.at("behind"), "right");
  EXPECT_GT(sync.at("confidence").get<double>(), 0.5);
  EXPECT_EQ(sync.at("frames_compared"), kFrames);
  const std::string html = test::readTextFile(folder.file("out/report.html"));
  EXPECT_NE(html.find("The right eye is 3 frames behind the left"), std::string::npos);
  EXPECT_NE(html.find("every judged shot is REJECT until the eyes are put in step"),
            std::string::npos);
}

TEST_F(EyeSyncRuns, EyesInStepPrintNothingNew) {
  writeVideos(0);
  const ProcessResult result = run({"left.avi", "right.avi"}, {"--qc", "--pictures", "none"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::ifstream file(folder.file("out/report.json"));
  const nlohmann::json sync = nlohmann::json::parse(file).at("eye_sync");
  EXPECT_EQ(sync.at("status"), "measured") << sync;
  EXPECT_EQ(sync.at("offset"), 0);
  EXPECT_TRUE(sync.at("behind").is_null());
}

// Matroska files carry no frame count of their own: that the right eye goes
// on after the left's last frame shows only when reading ends, and the
// gate names it.
TEST_F(EyeSyncRuns, ARightEyeLongerThanTheLeftIsNamedWhereCountsAreNotKnown) {
  const auto pairs = test::movingPairs(kFrames, kView, 0, Motion::Pan);
  const std::vector<cv::Mat> left = test::leftViews(pairs);
  ASSERT_TRUE(test::writeVideo(folder.file("left.mkv"), {left.begin(), left.end() - 4}, "FFV1"));
  ASSERT_TRUE(test::writeVideo(folder.file("right.mkv"), test::rightViews(pairs), "FFV1"));
  const ProcessResult result =
      run({"left.mkv", "right.mkv"}, {"--qc", "--pictures", "none", "--quiet"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("[message      ]: The eyes differ in length: right.mkv goes on after "
                            "the last frame of left.mkv (frame 28); its further frames are not "
                            "analysed\n"),
            std::string::npos)
      << result.err;
  // Without quality control the run reads as it always has.
  EXPECT_EQ(run({"left.mkv", "right.mkv"}).err, "");
}

TEST_F(EyeSyncRuns, SequencesOfDifferentLengthsOverAStillSceneSaySoAndCannotTell) {
  const auto pairs = test::movingPairs(kFrames, kView, 0, Motion::Still);
  for (int k = 0; k < kFrames; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "L_%03d.png", k + 1);
    ASSERT_TRUE(cv::imwrite(folder.file(name), pairs[static_cast<size_t>(k)].left));
    if (k + 2 >= kFrames) continue;  // the right eye has two frames fewer
    std::snprintf(name, sizeof name, "R_%03d.png", k + 1);
    ASSERT_TRUE(cv::imwrite(folder.file(name), pairs[static_cast<size_t>(k)].right));
  }
  const ProcessResult result = run({"L_%03d.png", "R_%03d.png"}, {"-s", "1-30"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("[message      ]: The right eye has 30 frames, the left 32\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("[message      ]: Whether the eyes are in step cannot be told: the "
                            "picture barely moves in the 30 frames compared\n"),
            std::string::npos)
      << result.err;
}

}  // namespace
}  // namespace stereolint
