// Still images and videos analysed by the real binary, checked as a user
// sees them: the console text, the exit status and the files written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,HIERARCHY:VERTICAL";
const cv::Size kView(320, 240);
constexpr int kShift = 8;  // whole JPEG blocks, so compressed views stay alike

// The console block of one frame whose eight-row offset every match agrees
// on; only the match count and the time vary with the content.
std::string verticalBlock(const std::string& name, int id, int size, int allPoints,
                          int calculationPoints) {
  return name + " : " + std::to_string(id) + " / " + std::to_string(size) +
         " VERTICAL\n"
         "ALL POINTS : " + std::to_string(allPoints) + "\n"
         "CALCULATION POINTS : " + std::to_string(calculationPoints) + "\n"
         "AVERAGE : 8\n"
         "AVERAGE STANDARD DEVIATION : 0\n"
         "AVERAGE ABS : 8\n"
         "MEDIAN : 8\n"
         "MEDIAN ABSOLUTE DEVIATION : 0\n"
         "CENTYL 70 : 8\n"
         "TIME : T\n"
         "-------------------------------------------------------------\n"
         "-------------------------------------------------------------\n";
}

class Footage : public ::testing::Test {
 protected:
  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-m", "CONSOLE", "-d", "Stereolint"});
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  std::string file(const std::string& name) const { return folder.file(name); }
  std::set<std::string> filesIn(const std::string& sub) const { return folder.namesIn(sub); }
  // The numbers of the "ALL POINTS" and "CALCULATION POINTS" lines of the
  // first block, which depend on the content, to build the expectation.
  static std::pair<int, int> pointCounts(const std::string& out) {
    const auto number = [&out](const std::string& key) {
      const size_t at = out.find(key + " : ");
      return at == std::string::npos ? -1 : std::stoi(out.substr(at + key.size() + 3));
    };
    return {number("ALL POINTS"), number("CALCULATION POINTS")};
  }
  test::TempFolder folder;
};

TEST_F(Footage, StillPairPrintsOneBlockAndWritesEveryFile) {
  const auto pairs = test::shiftedPairs(1, kView, kShift);
  cv::imwrite(file("left.png"), pairs[0].left);
  cv::imwrite(file("right.png"), pairs[0].right);

  const ProcessResult result =
      run({"-i", "left.png", "right.png", "-t", "2", "-r", "out/", "-p", kParameters});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto [all, calculation] = pointCounts(result.out);
  EXPECT_GT(calculation, 10);
  EXPECT_EQ(test::maskTimes(result.out), verticalBlock("left", 1, 1, all, calculation));

  EXPECT_EQ(filesIn("out"),
            (std::set<std::string>{"1_1_LEFT.png", "1_1_RIGHT.png", "1_1_RESULT.txt",
                                   "1_1_VERTICAL_ANAGLYPH_BEFORE.png", "1_1_VERTICAL_CIRCLES.png",
                                   "1_1_VERTICAL_CORRECT_LEFT.png",
                                   "1_1_VERTICAL_CORRECT_RIGHT.png",
                                   "1_1_VERTICAL_ANAGLYPH_AFTER.png", "1_1_VERTICAL_MATCHES.png",
                                   "1_1_SUMMARY.png", "RESULTS.csv"}));
  const auto text = test::readLines(file("out/1_1_RESULT.txt"));
  ASSERT_EQ(text.size(), 9u);
  EXPECT_EQ(text[0], "VERTICAL ALL POINTS : " + std::to_string(all));
  EXPECT_EQ(text[5], "VERTICAL MEDIAN : 8");
  EXPECT_EQ(test::maskTimes(test::readTextFile(file("out/RESULTS.csv"))),
            ",ID,SIZE,ALL POINTS,CALCULATION POINTS,AVERAGE,AVERAGE STANDARD DEVIATION,"
            "AVERAGE ABS,MEDIAN,MEDIAN ABSOLUTE DEVIATION,CENTYL 70,TIME\n"
            "VERTICAL,1,1," + std::to_string(all) + "," + std::to_string(calculation) +
                ",8,0,8,8,0,8,T\n");
  EXPECT_EQ(cv::imread(file("out/1_1_LEFT.png")).size(), kView);
  EXPECT_EQ(cv::imread(file("out/1_1_SUMMARY.png")).size(), cv::Size(3 * 320, 3 * 240));
}

TEST_F(Footage, OneStereoPictureInEitherOrientationMeasuresTheSame) {
  const auto pairs = test::shiftedPairs(1, kView, kShift);
  cv::imwrite(file("sbs.png"), test::sideBySide(pairs[0]));
  cv::imwrite(file("ou.tif"), test::overUnder(pairs[0]));

  const ProcessResult sbs =
      run({"-i", "sbs.png", "-o", "VERTICALLY", "-t", "1", "-r", "a/", "-p", kParameters});
  const ProcessResult ou =
      run({"-i", "ou.tif", "-o", "HORIZONTALLY", "-t", "1", "-r", "b/", "-p", kParameters});
  ASSERT_EQ(sbs.exitCode, 0) << sbs.err;
  ASSERT_EQ(ou.exitCode, 0) << ou.err;
  const auto [all, calculation] = pointCounts(sbs.out);
  EXPECT_EQ(test::maskTimes(sbs.out), verticalBlock("sbs", 1, 1, all, calculation));
  EXPECT_EQ(test::maskTimes(ou.out), verticalBlock("ou", 1, 1, all, calculation));
  EXPECT_EQ(cv::imread(file("b/1_1_RIGHT.png")).size(), kView);
}

TEST_F(Footage, VideoWithOneThreadPrintsFramesInOrderAndAppendsToOneTable) {
  const auto pairs = test::shiftedPairs(4, kView, kShift);
  ASSERT_TRUE(test::writeVideo(file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));

  const ProcessResult first =
      run({"-i", "take.avi", "-o", "VERTICALLY", "-t", "1", "-r", "out/run", "-p", kParameters});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  size_t at = 0;
  for (int id = 1; id <= 4; ++id) {
    const size_t next = first.out.find("take : " + std::to_string(id) + " / 4 VERTICAL", at);
    ASSERT_NE(next, std::string::npos) << "frame " << id << " in order";
    at = next;
  }
  EXPECT_EQ(filesIn("out").count("run4_4_SUMMARY.png"), 1u) << "the prefix is used as it is";
  EXPECT_EQ(filesIn("out").count("runRESULTS.csv"), 1u);

  const ProcessResult second = run({"-i", "take.avi", "-o", "VERTICALLY", "-t", "2", "-r",
                                    "out/run", "-p", kParameters, "-s", "2,4,"});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  const auto rows = test::readLines(file("out/runRESULTS.csv"));
  ASSERT_EQ(rows.size(), 1u + 4u + 2u) << "one header across both runs";
  EXPECT_EQ(rows[0].substr(0, 9), ",ID,SIZE,");
  for (size_t r = 1; r < rows.size(); ++r) EXPECT_EQ(rows[r].substr(0, 9), "VERTICAL,");
  EXPECT_EQ(std::count(second.out.begin(), second.out.end(), '/'), 2);
  EXPECT_NE(second.out.find("take : 2 / 4"), std::string::npos);
  EXPECT_NE(second.out.find("take : 4 / 4"), std::string::npos);
}

// Several workers run frames side by side with the image library on one
// thread each; one worker lets it use its own threads. Numbers and pictures
// (the colours of the matches included; the summaries print times) are the
// same either way.
TEST_F(Footage, OneWorkerAndTwoGiveTheSameNumbersAndPictures) {
  ASSERT_TRUE(test::writeVideo(file("take.avi"),
                               test::sideBySideFrames(test::shiftedPairs(3, kView, 2)), "MJPG"));
  for (const std::string method : {"Stereolint", "Alignment"}) {
    for (const std::string threads : {"1", "2"}) {
      const ProcessResult result = test::runProcess(
          STEREOLINT_BINARY,
          {"-m", "CONSOLE", "-d", method, "-i", "take.avi", "-o", "VERTICALLY", "-t", threads,
           "-r", method + threads + "/", "-p",
           method == "Alignment" ? "PICTURES:TRUE" : kParameters},
          {folder.path(), {}, {}});
      ASSERT_EQ(result.exitCode, 0) << result.err;
    }
    size_t pictures = 0;
    for (const std::string& name : filesIn(method + "1")) {
      SCOPED_TRACE(method + ": " + name);
      const std::string one = file(method + "1/" + name);
      const std::string two = file(method + "2/" + name);
      if (name.find("RESULT.txt") != std::string::npos) {
        EXPECT_EQ(test::maskTimes(test::readTextFile(one)),
                  test::maskTimes(test::readTextFile(two)));
      } else if (name.find(".png") != std::string::npos &&
                 name.find("SUMMARY") == std::string::npos) {
        ++pictures;
        const cv::Mat first = cv::imread(one, cv::IMREAD_UNCHANGED);
        const cv::Mat second = cv::imread(two, cv::IMREAD_UNCHANGED);
        ASSERT_EQ(first.size(), second.size());
        EXPECT_EQ(cv::norm(first, second, cv::NORM_INF), 0);
      }
    }
    EXPECT_GE(pictures, 3u * 4u) << method;
  }
}

TEST_F(Footage, Mp4ThroughFfmpegIsReadAndMeasured) {
  const auto pairs = test::shiftedPairs(2, kView, kShift);
  ASSERT_TRUE(test::writeVideo(file("take.MP4"), test::sideBySideFrames(pairs), "mp4v"));
  const ProcessResult result =
      run({"-i", "take.MP4", "-o", "VERTICALLY", "-t", "2", "-r", "out/", "-p", kParameters});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("take : 1 / 2 VERTICAL"), std::string::npos);
  EXPECT_NE(result.out.find("take : 2 / 2 VERTICAL"), std::string::npos);
  // Lossy coding moves features a little; the median stays on the offset.
  const size_t median = result.out.find("MEDIAN : ");
  ASSERT_NE(median, std::string::npos);
  EXPECT_NEAR(std::stod(result.out.substr(median + 9)), kShift, 0.5);
}

TEST_F(Footage, PairOfVideosOfDifferentLengthEndsWithTheShorter) {
  const auto pairs = test::shiftedPairs(4, kView, kShift);
  auto rights = test::rightViews(pairs);
  rights.pop_back();
  ASSERT_TRUE(test::writeVideo(file("left.avi"), test::leftViews(pairs), "MJPG"));
  ASSERT_TRUE(test::writeVideo(file("right.avi"), rights, "MJPG"));

  const ProcessResult result =
      run({"-i", "left.avi", "right.avi", "-t", "2", "-r", "out/", "-p", kParameters});
  EXPECT_EQ(result.exitCode, 0) << "container frame counts can be estimates";
  EXPECT_EQ(result.err,
            "Warning: \n\t[runtime phase]: ConsoleApplication::run - [frames]\n"
            "\t[message      ]: Reading right.avi stopped at frame 4 of 4\n"
            "Warning: \n\t[runtime phase]: ConsoleApplication::run - [eyes]\n"
            "\t[message      ]: The right eye has 3 frames, the left 4\n"
            "Warning: \n\t[runtime phase]: ConsoleApplication::run - [eyes]\n"
            "\t[message      ]: Whether the eyes are in step cannot be told: only 3 consecutive "
            "frames were read, 21 are needed\n");
  EXPECT_EQ(filesIn("out").count("3_4_SUMMARY.png"), 1u) << "size is the first input's count";
  EXPECT_EQ(filesIn("out").count("4_4_SUMMARY.png"), 0u);
}

// With standard error on a terminal (here the pseudo-terminal of script(1))
// a progress line is drawn there and erased again at the end.
TEST_F(Footage, ProgressLineOnlyOnATerminal) {
  const auto pairs = test::shiftedPairs(3, kView, kShift);
  ASSERT_TRUE(test::writeVideo(file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  const std::string command = std::string(STEREOLINT_BINARY) +
                              " -m CONSOLE -d Stereolint -i take.avi -o VERTICALLY -t 1 -r out/ "
                              "-p '" + kParameters + "' >/dev/null";
  const ProcessResult result =
      test::runProcess("/usr/bin/script", {"-qec", command, "/dev/null"}, {folder.path(), {}, {}});
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("\r\033[Kframe 1 / 3 read, 0 analysed, "), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("frame 3 / 3 read, 3 analysed"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.substr(result.out.size() - 4), "\r\033[K") << "erased at the end";
}

TEST_F(Footage, HugeRangeSelectionIsCheap) {
  const auto pairs = test::shiftedPairs(2, kView, kShift);
  ASSERT_TRUE(test::writeVideo(file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  const ProcessResult result = run({"-i", "take.avi", "-o", "VERTICALLY", "-t", "1", "-r", "out/",
                                    "-p", kParameters, "-s", "2-2000000000"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find("take : 1 / 2"), std::string::npos);
  EXPECT_NE(result.out.find("take : 2 / 2"), std::string::npos);
}

TEST_F(Footage, FrameWithoutFeaturesPutsItsTimeUnderTime) {
  const cv::Mat grey(kView, CV_8UC3, cv::Scalar::all(128));
  cv::imwrite(file("l.png"), grey);
  cv::imwrite(file("r.png"), grey);
  const ProcessResult result =
      run({"-i", "l.png", "r.png", "-t", "1", "-r", "out/", "-p", kParameters});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(test::maskTimes(result.out),
            "l : 1 / 1 VERTICAL\nTIME : T\n"
            "-------------------------------------------------------------\n"
            "-------------------------------------------------------------\n");
  const auto rows = test::readLines(file("out/RESULTS.csv"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(test::maskTimes(rows[1] + "\n"), "VERTICAL,1,1,,,,,,,,,T\n");
}

TEST_F(Footage, ViewsThatAgreeEverywhereGiveZeroForEveryValue) {
  const auto pairs = test::shiftedPairs(1, kView, 0);
  cv::imwrite(file("same.png"), pairs[0].left);
  cv::imwrite(file("copy.png"), pairs[0].left);
  const ProcessResult result =
      run({"-i", "same.png", "copy.png", "-t", "1", "-r", "out/", "-p", kParameters});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto [all, calculation] = pointCounts(result.out);
  EXPECT_GT(calculation, 10);
  const std::string zeros =
      "AVERAGE : 0\n"
      "AVERAGE STANDARD DEVIATION : 0\n"
      "AVERAGE ABS : 0\n"
      "MEDIAN : 0\n"
      "MEDIAN ABSOLUTE DEVIATION : 0\n"
      "CENTYL 70 : 0\n";
  EXPECT_NE(result.out.find(zeros), std::string::npos) << result.out;
  EXPECT_EQ(test::readLines(file("out/1_1_RESULT.txt")).at(7), "VERTICAL CENTYL 70 : 0");
  const auto rows = test::readLines(file("out/RESULTS.csv"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(test::maskTimes(rows[1] + "\n"), "VERTICAL,1,1," + std::to_string(all) + "," +
                                                  std::to_string(calculation) + ",0,0,0,0,0,0,T\n");
}

TEST_F(Footage, AMatcherThatCannotReadTheDescriptorsIsRefusedBeforeAnyFrame) {
  const auto pairs = test::shiftedPairs(1, kView, kShift);
  cv::imwrite(file("left.png"), pairs[0].left);
  cv::imwrite(file("right.png"), pairs[0].right);
  const auto withPair = [](const std::string& pair) {
    return "WIDTH:10,HEIGHT:10,DETECTOR:ORB," + pair + ",HIERARCHY:VERTICAL";
  };
  const ProcessResult flann = run({"-i", "left.png", "right.png", "-t", "1", "-r", "a/", "-p",
                                   withPair("EXTRACTOR:ORB,MATCHER:FlannBased")});
  EXPECT_EQ(flann.exitCode, 255);
  EXPECT_EQ(flann.out, "");
  EXPECT_EQ(flann.err,
            "Wrong parameter MATCHER \"FlannBased\": cannot compare the binary descriptors of "
            "EXTRACTOR \"ORB\"; use BruteForce-Hamming or BruteForce-Hamming(2)\n"
            "HELP: Stereolint -h\n\n");
  EXPECT_FALSE(std::filesystem::exists(file("a")));

  const ProcessResult hamming = run({"-i", "left.png", "right.png", "-t", "1", "-r", "b/", "-p",
                                     withPair("EXTRACTOR:SIFT,MATCHER:BruteForce-Hamming")});
  EXPECT_EQ(hamming.exitCode, 255);
  EXPECT_EQ(hamming.err,
            "Wrong parameter MATCHER \"BruteForce-Hamming\": cannot compare the floating-point "
            "descriptors of EXTRACTOR \"SIFT\"; use BruteForce, BruteForce-L1, BruteForce-SL2 or "
            "FlannBased\nHELP: Stereolint -h\n\n");

  // Numeric distances over the bytes of binary descriptors are computed and
  // measure; such a pair is left to the user.
  const ProcessResult numeric = run({"-i", "left.png", "right.png", "-t", "1", "-r", "c/", "-p",
                                     withPair("EXTRACTOR:ORB,MATCHER:BruteForce")});
  EXPECT_EQ(numeric.exitCode, 0) << numeric.err;
  EXPECT_EQ(numeric.err, "");
}

}  // namespace
}  // namespace stereolint
