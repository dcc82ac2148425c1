// The alignment method through the real binary: a photograph whose right
// view is moved by a known fraction of a row, views with nothing to measure,
// its pictures on request, its own table, and its parameters refused at
// start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPhoto = "/usr/share/doc/opencv-doc/examples/data/aloeL.jpg";

// The number after "KEY : " in a console block, or NaN.
double valueOf(const std::string& text, const std::string& key) {
  const size_t at = text.find("\n" + key + " : ");
  if (at == std::string::npos) return std::nan("");
  return std::stod(text.substr(at + key.size() + 4));
}

class AlignmentRun : public ::testing::Test {
 protected:
  ProcessResult run(const std::vector<std::string>& inputs, const std::string& parameters = "") {
    std::vector<std::string> arguments = {"-m", "CONSOLE", "-d",   "Alignment", "-t",
                                          "2",  "-r",      "out/", "-i"};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    if (!parameters.empty()) arguments.insert(arguments.end(), {"-p", parameters});
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  // The photograph as the left view, and as the right view moved down by
  // `rows` (bilinear, so a fraction of a row is a real sub-pixel move).
  void writeMovedPair(double rows) {
    const cv::Mat left = cv::imread(kPhoto, cv::IMREAD_COLOR);
    ASSERT_FALSE(left.empty());
    const cv::Mat move = (cv::Mat_<double>(2, 3) << 1, 0, 0, 0, 1, rows);
    cv::Mat right;
    cv::warpAffine(left, right, move, left.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
    cv::imwrite(folder.file("left.png"), left);
    cv::imwrite(folder.file("right.png"), right);
  }
  test::TempFolder folder;
};

TEST_F(AlignmentRun, ReadsASubPixelMoveAndKeepsItsOwnTable) {
  if (!fs::exists(kPhoto)) GTEST_SKIP() << "opencv-doc is not installed";
  writeMovedPair(1.5);
  const ProcessResult result = run({"left.png", "right.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("left : 1 / 1 ALIGNMENT\nVERTICAL : ", 0), 0u) << result.out;
  EXPECT_NEAR(valueOf(result.out, "VERTICAL"), -1.5, 0.05) << result.out;
  EXPECT_NEAR(valueOf(result.out, "ROTATION"), 0.0, 0.02);
  EXPECT_NEAR(valueOf(result.out, "SCALE"), 1.0, 0.001);
  EXPECT_NE(result.out.find("\nSTATUS : OK\n"), std::string::npos);
  const std::vector<std::string> table = test::readLines(folder.file("out/ALIGNMENT.csv"));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0],
            ",ID,SIZE,VERTICAL,ROTATION,SCALE,KEYSTONE,NEAR PARALLAX,FAR PARALLAX,VERTICAL ERROR,"
            "ROTATION ERROR,SCALE ERROR,POINTS,RESIDUAL,"
            "STATUS,TIME");
  EXPECT_EQ(table[1].rfind("ALIGNMENT,1,1,", 0), 0u);
  EXPECT_FALSE(fs::exists(folder.file("out/RESULTS.csv"))) << "the steps' table is not touched";
  EXPECT_FALSE(fs::exists(folder.file("out/1_1_ALIGNMENT_ANAGLYPH_BEFORE.png")))
      << "pictures only on request";
}

TEST_F(AlignmentRun, WritesItsPicturesWhenAsked) {
  if (!fs::exists(kPhoto)) GTEST_SKIP() << "opencv-doc is not installed";
  writeMovedPair(2);
  const ProcessResult result = run({"left.png", "right.png"}, "PICTURES:TRUE");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (const char* key : {"ANAGLYPH_BEFORE", "ANAGLYPH_AFTER", "CORRECT_RIGHT", "POINTS"}) {
    EXPECT_FALSE(cv::imread(folder.file("out/1_1_ALIGNMENT_" + std::string(key) + ".png")).empty())
        << key;
  }
}

TEST_F(AlignmentRun, ViewsWithNothingToMeasureAreInconclusiveAndTheRunGoesOn) {
  cv::imwrite(folder.file("black.png"), cv::Mat(240, 640, CV_8UC3, cv::Scalar::all(0)));
  const ProcessResult result = run({"black.png", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("\nSTATUS : INCONCLUSIVE"), std::string::npos) << result.out;
  EXPECT_EQ(result.err, "") << "the status says it; no step warnings for this method";
}

TEST_F(AlignmentRun, UnknownParametersAreRefusedAtStartUpWithTheValidKeys) {
  cv::imwrite(folder.file("pair.png"), cv::Mat(40, 80, CV_8UC3, cv::Scalar::all(9)));
  const ProcessResult result = run({"pair.png", "-o", "VERTICALLY"}, "BANDWIDTH:3");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("BANDWIDTH"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("BAND"), std::string::npos);
  EXPECT_NE(result.err.find("PARALLAX"), std::string::npos);
  EXPECT_NE(result.err.find("HELP: Stereolint -h\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder.file("out")));
}

// A black leader and a black frame between measured ones, on two workers:
// every frame keeps its row under the one header, a black frame's missing
// measures as empty fields, and quality control judges the rest.
TEST_F(AlignmentRun, BlackFramesKeepTheirRowsUnderTheOneHeader) {
  std::vector<test::StereoPair> pairs = test::shiftedPairs(4, {320, 240}, 3);
  const cv::Mat black(240, 320, CV_8UC3, cv::Scalar::all(0));
  pairs[0] = {black, black};
  pairs[2] = {black, black};
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  const ProcessResult result = run({"take.avi", "-o", "VERTICALLY", "--qc"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("header"), std::string::npos) << result.err;
  std::vector<std::string> table = test::readLines(folder.file("out/ALIGNMENT.csv"));
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table[0],
            ",ID,SIZE,VERTICAL,ROTATION,SCALE,KEYSTONE,NEAR PARALLAX,FAR PARALLAX,VERTICAL ERROR,"
            "ROTATION ERROR,SCALE ERROR,POINTS,RESIDUAL,"
            "STATUS,TIME");
  std::sort(table.begin() + 1, table.end());
  const std::string blackRow = ",,,,,,,,,,0,,INCONCLUSIVE BLACK VIEW,T\n";
  EXPECT_EQ(test::maskTimes(table[1] + "\n"), "ALIGNMENT,1,4" + blackRow);
  EXPECT_EQ(test::maskTimes(table[3] + "\n"), "ALIGNMENT,3,4" + blackRow);
  for (size_t row : {2u, 4u}) {
    EXPECT_EQ(std::count(table[row].begin(), table[row].end(), ','), 15) << table[row];
    EXPECT_NE(table[row].find(",OK,"), std::string::npos) << table[row];
  }
}

}  // namespace
}  // namespace stereolint
