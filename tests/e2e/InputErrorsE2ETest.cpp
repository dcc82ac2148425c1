// Inputs the tool cannot use, and outputs it cannot write: the user is told
// what and where, and the exit status is 255 (-1).
#include <gtest/gtest.h>

#include <filesystem>

#include <opencv2/imgcodecs.hpp>

#include "support/ConsoleText.h"
#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";

using test::errorBlock;

class InputErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto pairs = test::shiftedPairs(2, {320, 240}, 8);
    cv::imwrite(folder.file("left.png"), pairs[0].left);
    cv::imwrite(folder.file("right.png"), pairs[0].right);
    cv::imwrite(folder.file("right.jpg"), pairs[0].right);
    cv::imwrite(folder.file("small.png"), pairs[0].right(cv::Rect(0, 0, 100, 100)));
    test::writeTextFile(folder.file("broken.png"), "not a picture");
    test::writeTextFile(folder.file("broken.mp4"), "not a video");
    test::writeTextFile(folder.file("movie.gif"), "GIF89a");
    ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  }
  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2", "-p", kParameters});
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  bool wroteNothing() const { return !std::filesystem::exists(folder.file("out")); }
  test::TempFolder folder;
};

TEST_F(InputErrors, UnsupportedOrMismatchedExtensions) {
  for (const auto& inputs : std::vector<std::vector<std::string>>{
           {"movie.gif", "-o", "VERTICALLY"}, {"left.png", "right.jpg"}}) {
    std::vector<std::string> arguments = {"-r", "out/", "-i"};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    const ProcessResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, errorBlock("ConsoleApplication::run - [extension]",
                                     "Unsupported file extension or incorrect format"));
  }
  EXPECT_TRUE(wroteNothing());
}

TEST_F(InputErrors, UnreadableImage) {
  const ProcessResult result = run({"-r", "out/", "-i", "left.png", "broken.png"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find(errorBlock("ConsoleApplication::run - [input]",
                                       "Cannot read the image broken.png")),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(wroteNothing());
}

TEST_F(InputErrors, UnreadableVideo) {
  const ProcessResult result = run({"-r", "out/", "-i", "broken.mp4", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.err, errorBlock("ConsoleApplication::run - [input]",
                                   "Cannot open the video broken.mp4: Invalid data found when "
                                   "processing input"))
      << "the video library's own complaints stay out of the console text";
  EXPECT_TRUE(wroteNothing());
}

TEST_F(InputErrors, ViewsOfDifferentSizes) {
  const ProcessResult result = run({"-r", "out/", "-i", "left.png", "small.png"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.err,
            errorBlock("ConsoleApplication::run - [input]",
                       "The inputs differ in size: left.png is 320 x 240, small.png is 100 x 100"));
  EXPECT_TRUE(wroteNothing());
}

TEST_F(InputErrors, UnknownMethod) {
  const ProcessResult result = test::runProcess(
      STEREOLINT_BINARY,
      {"-m", "CONSOLE", "-d", "stereolint", "-t", "1", "-r", "out/", "-i", "left.png", "right.png"},
      {folder.path(), {}, {}});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.err, errorBlock("ConsoleApplication::run - [method]",
                                   "Unknown disparity method \"stereolint\"; valid: Stereolint, Alignment; "
                                   "did you mean Stereolint?"));
  EXPECT_TRUE(wroteNothing());
}

TEST_F(InputErrors, AFrameTheLibraryCannotAnalyseIsReportedAndTheRunGoesOn) {
  // The AKAZE extractor describes only keypoints of its own detector; the
  // image library stops at FAST's.
  const std::string unusable =
      "WIDTH:10,HEIGHT:10,DETECTOR:FAST,EXTRACTOR:AKAZE,MATCHER:BruteForce-Hamming,"
      "HIERARCHY:VERTICAL";
  const ProcessResult result = test::runProcess(
      STEREOLINT_BINARY,
      {"-m", "CONSOLE", "-d", "Stereolint", "-t", "1", "-r", "out/", "-p", unusable, "-i",
       "take.avi", "-o", "VERTICALLY"},
      {folder.path(), {}, {}});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  for (const char* frame : {"take : 1 / 2 (320 x 240): ", "take : 2 / 2 (320 x 240): "}) {
    EXPECT_NE(result.err.find("Error: \n\t[runtime phase]: Thread::run - [frame]\n"
                              "\t[message      ]: " + std::string(frame)),
              std::string::npos)
        << result.err;
  }
}

TEST_F(InputErrors, OutputThatCannotBeWrittenIsReportedButEverythingElseIsDone) {
  test::writeTextFile(folder.file("blocked"), "a file where a folder should be");
  const ProcessResult result = run({"-r", "blocked/out/", "-i", "left.png", "right.png"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.out.find("left : 1 / 1 VERTICAL"), std::string::npos) << "still presented";
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n') % 3, 0);
  EXPECT_NE(result.err.find("Warning: \n\t[runtime phase]: Writer - [folder]\n"
                            "\t[message      ]: Cannot create the folder blocked/: File exists\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Cannot write blocked/out/1_1_SUMMARY.png: Not a directory\n"),
            std::string::npos);
  EXPECT_NE(result.err.find("Cannot write blocked/out/RESULTS.csv"), std::string::npos);
}

}  // namespace
}  // namespace stereolint
