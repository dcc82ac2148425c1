// Image sequences through the real binary: a numbered run of 10-bit DPX
// files per eye, and a printf pattern of side-by-side PNG files with a gap.
// Frames are named by the numbers in their file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "HIERARCHY:VERTICAL";

class Sequences : public ::testing::Test {
 protected:
  ProcessResult run(const std::vector<std::string>& inputs) {
    std::vector<std::string> arguments = {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2",
                                          "-r", "out/",    "-p", kParameters,  "-i"};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  test::TempFolder folder;
};

TEST_F(Sequences, APairOfNumberedDpxRunsIsReadFrameByFrame) {
  const auto pairs = test::shiftedPairs(3, {320, 240}, 4);
  for (size_t k = 0; k < pairs.size(); ++k) {
    const std::string number = std::to_string(1001 + k);
    for (const auto& [eye, view] :
         {std::pair{"L", pairs[k].left}, std::pair{"R", pairs[k].right}}) {
      const std::string png = folder.file(std::string(eye) + ".png");
      ASSERT_TRUE(cv::imwrite(png, view));
      const ProcessResult made = test::runProcess(
          FFMPEG_PROGRAM, {"-v", "error", "-y", "-i", png, "-pix_fmt", "gbrp10le",
                           folder.file("take_" + std::string(eye) + "." + number + ".dpx")});
      ASSERT_EQ(made.exitCode, 0) << made.err;
    }
  }
  const ProcessResult result = run({"take_L.1001.dpx", "take_R.1001.dpx"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (const char* heading : {"take_L : 1001 / 3 VERTICAL", "take_L : 1003 / 3 VERTICAL"}) {
    EXPECT_NE(result.out.find(heading), std::string::npos) << result.out;
  }
  EXPECT_NE(result.out.find("MEDIAN : 4\n"), std::string::npos) << "10-bit views are measured";
  EXPECT_TRUE(fs::exists(folder.file("out/1002_3_SUMMARY.png")));
  EXPECT_EQ(test::readLines(folder.file("out/RESULTS.csv")).size(), 4u);
}

TEST_F(Sequences, APatternWithAGapNamesTheMissingFramesAndSelectsByPlace) {
  const auto frames = test::sideBySideFrames(test::shiftedPairs(5, {160, 120}, 2));
  for (int k = 1; k <= 5; ++k) {
    if (k == 3) continue;
    char name[32];
    std::snprintf(name, sizeof name, "f_%04d.png", k);
    ASSERT_TRUE(cv::imwrite(folder.file(name), frames[static_cast<size_t>(k - 1)]));
  }
  std::vector<std::string> inputs = {"f_%04d.png", "-o", "VERTICALLY", "-s", "3-4"};
  const ProcessResult result = run(inputs);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("frame 3 is missing from f_%04d.png"), std::string::npos) << result.err;
  // The third and fourth files are frames 4 and 5.
  EXPECT_NE(result.out.find("f : 4 / 4 VERTICAL"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("f : 5 / 4 VERTICAL"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find(" : 2 / 4 VERTICAL"), std::string::npos);
}

TEST_F(Sequences, CountFramesCountsTheFramesARunReads) {
  // A folder of links to six pictures, the last one linked four times more,
  // beside the hidden companions other systems leave, which are no frames.
  const auto frames = test::sideBySideFrames(test::shiftedPairs(6, {160, 120}, 2));
  fs::create_directories(folder.file("real"));
  fs::create_directories(folder.file("farm"));
  for (int k = 1; k <= 10; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "f%03d.png", std::min(k, 6));
    if (k <= 6) {
      ASSERT_TRUE(cv::imwrite(folder.file(std::string("real/") + name), frames[k - 1u]));
    }
    char link[32];
    std::snprintf(link, sizeof link, "farm/f%03d.png", k);
    fs::create_symlink(std::string("../real/") + name, folder.file(link));
  }
  std::ofstream(folder.file("farm/._f001.png")) << "Mac OS X resource fork";
  std::ofstream(folder.file("farm/.DS_Store")) << "finder settings";
  const auto count = [&](const std::vector<std::string>& more) {
    std::vector<std::string> arguments{"--count-frames", "-i", "farm", "-o", "VERTICALLY"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  };
  ProcessResult result = count({});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "10\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(count({"-s", "4-20"}).out, "7\n") << "the selection's frames of the take";
  EXPECT_EQ(count({"--every", "3"}).out, "10\n") << "the places that -s ranges divide";
  // A run reads as many: its last frame is the tenth.
  result = run({"farm", "-o", "VERTICALLY", "-s", "10-12"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("farm : 10 / 10 VERTICAL"), std::string::npos) << result.out;
  // Inputs a run refuses are refused in the same words.
  fs::create_directories(folder.file("empty"));
  result = count({"-i", "empty"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("The folder empty holds no picture files"), std::string::npos)
      << result.err;
}

TEST_F(Sequences, APatternThatMatchesNoFileIsRefusedNamingIt) {
  const ProcessResult result = run({"none_%04d.png", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("none_%04d.png"), std::string::npos) << result.err;
}

// Capture names stamped with a date and time as digits: numbers beyond the
// frame numbers this program takes are refused, not folded into one frame.
TEST_F(Sequences, FrameNumbersBeyondTheIntRangeAreRefused) {
  const cv::Mat sbs = test::sideBySideFrames(test::shiftedPairs(1, {160, 120}, 2)).front();
  fs::create_directories(folder.file("cam"));
  for (const char* stamp : {"20261207120000", "20261207120001"})
    cv::imwrite(folder.file(std::string("cam/cam_") + stamp + ".png"), sbs);
  const ProcessResult result = run({"cam", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("reach 20261207120001 (cam/cam_20261207120001.png), beyond 2147483647"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(folder.file("out"))) << "nothing is written";
}

}  // namespace
}  // namespace stereolint

namespace stereolint {
namespace {

TEST_F(Sequences, ADamagedOrOddSizedFileCostsItsOwnFrameOnly) {
  const auto frames = test::sideBySideFrames(test::shiftedPairs(5, {160, 120}, 2));
  for (int k = 1; k <= 5; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "f_%04d.png", k);
    if (k == 1 || k == 2) {
      std::ofstream(folder.file(name)) << "not a picture";
    } else if (k == 4) {
      ASSERT_TRUE(cv::imwrite(folder.file(name), cv::Mat(60, 80, CV_8UC3, cv::Scalar::all(90))));
    } else {
      ASSERT_TRUE(cv::imwrite(folder.file(name), frames[static_cast<size_t>(k - 1)]));
    }
  }
  const ProcessResult result = run({"f_%04d.png", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 255) << "a frame that cannot be read fails the run";
  for (const int damaged : {1, 2}) {
    const std::string frame = std::to_string(damaged);
    EXPECT_NE(result.err.find("Cannot read frame " + frame + " of f_%04d.png: "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("f_000" + frame + ".png"), std::string::npos) << result.err;
  }
  EXPECT_NE(result.err.find("Cannot read frame 4 of f_%04d.png: f_0004.png measures 80 x 60, "
                            "not 320 x 120 as the first readable file; the frame is not analysed"),
            std::string::npos)
      << result.err;
  for (const int frame : {3, 5}) {
    EXPECT_TRUE(fs::exists(folder.file("out/" + std::to_string(frame) + "_5_RESULT.txt")))
        << "frame " << frame;
  }
  EXPECT_EQ(test::readLines(folder.file("out/RESULTS.csv")).size(), 3u);
}

// Two eyes as sequences, the left one without frame 4: frames pair by their
// numbers, so every other frame of a perfect rig still reads 0 rows.
TEST_F(Sequences, APairOfSequencesIsPairedByFrameNumber) {
  const auto pairs = test::shiftedPairs(6, {160, 120}, 0);
  for (int k = 1; k <= 6; ++k) {
    char left[32], right[32];
    std::snprintf(left, sizeof left, "L_%04d.png", k);
    std::snprintf(right, sizeof right, "R_%04d.png", k);
    if (k != 4) {
      ASSERT_TRUE(cv::imwrite(folder.file(left), pairs[static_cast<size_t>(k - 1)].left));
    }
    ASSERT_TRUE(cv::imwrite(folder.file(right), pairs[static_cast<size_t>(k - 1)].right));
  }
  const ProcessResult result = run({"L_%04d.png", "R_%04d.png"});
  EXPECT_EQ(result.exitCode, 255) << "a frame without its left eye fails the run";
  EXPECT_NE(result.err.find("frame 4 of L_%04d.png is missing while the other eye has them"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Cannot read frame 4 of L_%04d.png: this eye has no file for it"),
            std::string::npos)
      << result.err;
  const std::vector<std::string> rows = test::readLines(folder.file("out/RESULTS.csv"));
  ASSERT_EQ(rows.size(), 6u) << "frames 1-3, 5 and 6";
  for (size_t k = 1; k < rows.size(); ++k) {
    EXPECT_NE(rows[k].find(",0,0,0,0,0,"), std::string::npos) << rows[k];  // MEDIAN and the rest 0
  }
}

}  // namespace
}  // namespace stereolint
