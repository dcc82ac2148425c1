// Sampling a take through the real binary: --every N analyses every N-th
// frame (a video jumping between its key frames, an image sequence skipping
// files unopened) with the same numbers as a run over every frame, and
// --per-shot K spreads K frames over each shot; under both, each shot keeps
// its real first and last frame.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

class Sampling : public ::testing::Test {
 protected:
  ProcessResult run(const std::string& input, const std::string& output,
                    std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"-m", "CONSOLE", "-d", "Alignment", "-t", "2",
                                          "-o", "VERTICALLY", "-r", output + "/", "-i", input};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  // The frame numbers that have a RESULT.txt in `output`, in order.
  std::vector<int> analysed(const std::string& output) const {
    std::vector<int> frames;
    for (const auto& entry : fs::directory_iterator(folder.file(output))) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 11 && name.compare(name.size() - 11, 11, "_RESULT.txt") == 0) {
        frames.push_back(std::stoi(name));
      }
    }
    std::sort(frames.begin(), frames.end());
    return frames;
  }
  // The frame's RESULT.txt with its timings masked.
  std::string result(const std::string& output, int frame, int size) const {
    std::string text;
    for (const std::string& line : test::readLines(folder.file(
             output + "/" + std::to_string(frame) + "_" + std::to_string(size) + "_RESULT.txt"))) {
      text += test::maskTimes(line) + "\n";
    }
    return text;
  }
  void expectSameNumbers(const std::string& sampled, int size) const {
    for (const int frame : analysed(sampled)) {
      EXPECT_EQ(result(sampled, frame, size), result("all", frame, size)) << "frame " << frame;
    }
  }
  test::TempFolder folder;
};

TEST_F(Sampling, EveryNthFrameOfAVideoReadsAsInAFullRun) {
  const auto frames = test::sideBySideFrames(test::shiftedPairs(20, {320, 240}, 3));
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), frames, "MJPG"));
  // H.264 with a key frame every fourth frame and reordered frames between.
  const ProcessResult made = test::runProcess(
      FFMPEG_PROGRAM, {"-v", "error", "-y", "-i", folder.file("take.avi"), "-c:v", "libx264",
                       "-g", "4", "-bf", "2", "-pix_fmt", "yuv444p", "-qp", "0",
                       folder.file("take.mp4")});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  for (const std::string take : {"take.avi", "take.mp4"}) {
    SCOPED_TRACE(take);
    fs::remove_all(folder.file("all"));
    ASSERT_EQ(run(take, "all").exitCode, 0);
    const ProcessResult every = run(take, "every", {"--every", "6"});
    ASSERT_EQ(every.exitCode, 0) << every.err;
    EXPECT_EQ(analysed("every"), (std::vector<int>{1, 7, 13, 19}));
    expectSameNumbers("every", 20);
    const ProcessResult range = run(take, "range", {"--every", "6", "-s", "5-15"});
    EXPECT_EQ(analysed("range"), (std::vector<int>{7, 13})) << range.err;
    fs::remove_all(folder.file("every"));
    fs::remove_all(folder.file("range"));
  }
}

TEST_F(Sampling, EveryNthFileOfASequenceIsReadAndTheOthersAreNotOpened) {
  const auto frames = test::sideBySideFrames(test::shiftedPairs(9, {160, 120}, 2));
  for (size_t k = 0; k < frames.size(); ++k) {
    const std::string name = "f_" + std::to_string(101 + k) + ".png";
    // Frames between the sampled ones are damaged: opening them would fail.
    if (k % 4 == 0) {
      ASSERT_TRUE(cv::imwrite(folder.file(name), frames[k]));
    } else {
      std::ofstream(folder.file(name)) << "not a picture";
    }
  }
  const ProcessResult result = run("f_%03d.png", "out", {"--every", "4"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(analysed("out"), (std::vector<int>{101, 105, 109}));
  EXPECT_EQ(result.err.find("f_102.png"), std::string::npos) << result.err;
}

TEST_F(Sampling, SampledRunsGiveEachShotItsRealEnds) {
  // Three shots of 10 frames, each another scene panning slowly.
  std::vector<cv::Mat> frames;
  for (int shot = 0; shot < 3; ++shot) {
    const auto pairs = test::shiftedPairs(1, {640, 480}, 2 + shot);
    for (int k = 0; k < 10; ++k) {
      const cv::Rect window(4 * k, 2 * k, 320, 240);
      frames.push_back(test::sideBySideFrames({{pairs[0].left(window).clone(),
                                                pairs[0].right(window).clone()}})[0]);
    }
  }
  ASSERT_TRUE(test::writeVideo(folder.file("shots.avi"), frames, "MJPG"));
  const ProcessResult result =
      run("shots.avi", "out", {"--qc", "--per-shot", "2", "--pictures", "none"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(analysed("out"), (std::vector<int>{3, 8, 13, 18, 23, 28}));
  EXPECT_NE(result.out.find(": 3 shots ("), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("), 6 frames"), std::string::npos) << result.out;
  // Each shot's range is the whole shot the first reading found, on the
  // console and in the report alike.
  EXPECT_NE(result.out.find("\nShot 2 REJECT: frames 11-20 (00:00:00:10-00:00:00:19)"),
            std::string::npos)
      << result.out;
  const std::string json = test::readTextFile(folder.file("out/report.json"));
  const nlohmann::json report = nlohmann::json::parse(json);
  ASSERT_EQ(report["shots"].size(), 3u);
  EXPECT_EQ(report["shots"][1]["first_frame"], 11);
  EXPECT_EQ(report["shots"][2]["last_frame"], 30);
  EXPECT_EQ(report["shots"][2]["last_timecode"], "00:00:01:04");
  // The report says the run was sampled, and how.
  EXPECT_NE(json.find("\"sampling\": \"2 frames of each shot\""), std::string::npos);
  EXPECT_NE(test::readTextFile(folder.file("out/report.html"))
                .find("A sampled run (2 frames of each shot)"),
            std::string::npos);
  // Every 4th frame misses frames 11 and 21, where shots 2 and 3 start.
  const ProcessResult every =
      run("shots.avi", "every", {"--qc", "--every", "4", "--pictures", "none"});
  ASSERT_EQ(every.exitCode, 0) << every.err;
  EXPECT_EQ(analysed("every"), (std::vector<int>{1, 5, 9, 13, 17, 21, 25, 29}));
  EXPECT_NE(every.out.find("\nShot 2 REJECT: frames 11-20 (00:00:00:10-00:00:00:19)"),
            std::string::npos)
      << every.out;
  const std::string sampledJson = test::readTextFile(folder.file("every/report.json"));
  const nlohmann::json sampled = nlohmann::json::parse(sampledJson);
  ASSERT_EQ(sampled["shots"].size(), 3u);
  EXPECT_EQ(sampled["shots"][1]["first_frame"], 11);
  EXPECT_EQ(sampled["shots"][2]["last_frame"], 30);
  EXPECT_NE(sampledJson.find("\"sampling\": \"one frame in 4\""), std::string::npos);
}

TEST_F(Sampling, BadCountsAndCombinationsAreRefusedBeforeAnyWork) {
  const auto frames = test::sideBySideFrames(test::shiftedPairs(2, {160, 120}, 2));
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), frames, "MJPG"));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--every", "0"}, "--every: \"0\" is not a whole number of at least 1"},
      {{"--every", "2x"}, "--every: \"2x\" is not a whole number of at least 1"},
      {{"--per-shot", "2"}, "--per-shot works with --qc only"},
      {{"--qc", "--per-shot", "2", "--every", "3"}, "--every and --per-shot choose frames"},
  };
  for (const auto& [extra, message] : cases) {
    const ProcessResult result = run("take.avi", "out", extra);
    EXPECT_EQ(result.exitCode, 255) << message;
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
  EXPECT_FALSE(fs::exists(folder.file("out")));
}

}  // namespace
}  // namespace stereolint
