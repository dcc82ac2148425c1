// Output that cannot be written, and runs that end abruptly: each file that
// failed is named, everything else is still done, the exit status is 255,
// and what is on disk is whole: no half pictures, no half table rows.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class OutputFaults : public ::testing::Test {
 protected:
  void makeVideo(int frames) {
    ASSERT_TRUE(test::writeVideo(folder.file("take.avi"),
                                 test::sideBySideFrames(test::shiftedPairs(frames, {320, 240}, 8)),
                                 "MJPG"));
  }
  std::vector<std::string> arguments(const std::string& output) const {
    return {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2", "-p", kParameters,
            "-i", "take.avi", "-o", "VERTICALLY", "-r", output};
  }
  ProcessResult run(const std::string& output) {
    return test::runProcess(STEREOLINT_BINARY, arguments(output), {folder.path(), {}, {}});
  }

  // Every picture under `sub` decodes, and no temporary file is left.
  void expectOnlyWholeFiles(const std::string& sub) {
    for (const auto& entry : fs::directory_iterator(folder.file(sub))) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(name.find(".partial"), std::string::npos) << "left behind: " << name;
      if (entry.path().extension() == ".png") {
        EXPECT_FALSE(cv::imread(entry.path().string(), cv::IMREAD_UNCHANGED).empty())
            << "half a picture: " << name;
      }
    }
  }

  // The table holds one header, at the top, and whole rows under it: each
  // line ends and has the header's number of fields.
  void expectWholeRows(const std::string& table) {
    const std::string text = test::readTextFile(folder.file(table));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last row is cut off";
    const std::vector<std::string> lines = test::readLines(folder.file(table));
    EXPECT_EQ(lines[0].rfind(",ID,SIZE,", 0), 0u) << lines[0];
    const auto fields = std::count(lines[0].begin(), lines[0].end(), ',');
    for (size_t k = 1; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].find(",ID,SIZE,"), std::string::npos) << "a second header, line " << k;
      EXPECT_EQ(std::count(lines[k].begin(), lines[k].end(), ','), fields) << lines[k];
    }
  }

  test::TempFolder folder;
};

TEST_F(OutputFaults, FullDiskNamesEachFileNotWrittenAndLeavesNoHalfFiles) {
  makeVideo(3);
  // Room for a few pictures of the first frame, not for three frames.
  const test::ScratchMount disk(folder.file("disk"), 400);
  if (!disk.mounted()) GTEST_SKIP() << disk.why();

  const ProcessResult result = run("disk/out/");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(countOf(result.out, "VERTICAL\n"), 3u) << "every frame is still presented";
  EXPECT_GE(countOf(result.err, "\t[message      ]: Cannot write disk/out/"), 10u) << result.err;
  EXPECT_NE(result.err.find("Cannot write disk/out/3_3_SUMMARY.png: No space left on device\n"),
            std::string::npos)
      << result.err;
  expectOnlyWholeFiles("disk/out");
  if (fs::exists(folder.file("disk/out/RESULTS.csv"))) expectWholeRows("disk/out/RESULTS.csv");
}

TEST_F(OutputFaults, ReadOnlyOutputFolderIsReportedOnceWithEachFile) {
  makeVideo(2);
  // Root writes into any folder whatever its mode; a read-only file system
  // stops everybody.
  std::unique_ptr<test::ScratchMount> volume;
  if (geteuid() == 0) {
    volume = std::make_unique<test::ScratchMount>(folder.file("ro"), 64, true);
    if (!volume->mounted()) GTEST_SKIP() << volume->why();
  } else {
    fs::create_directory(folder.file("ro"));
    fs::permissions(folder.file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  }

  const ProcessResult result = run("ro/out/");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(countOf(result.out, "VERTICAL\n"), 2u);
  const std::string reason = volume ? ": Read-only file system\n" : ": Permission denied\n";
  EXPECT_EQ(countOf(result.err, "Cannot create the folder ro/out/" + reason), 1u) << result.err;
  EXPECT_NE(result.err.find("Cannot write ro/out/1_2_LEFT.png: No such file or directory\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Cannot write ro/out/2_2_SUMMARY.png"), std::string::npos);
  EXPECT_NE(result.err.find("Cannot write ro/out/RESULTS.csv"), std::string::npos);
  if (!volume) fs::permissions(folder.file("ro"), fs::perms::owner_all);
}

TEST_F(OutputFaults, KilledRunLeavesWholeRowsAndTheNextRunAppendsBelowThem) {
  makeVideo(12);
  const std::string table = "out/RESULTS.csv";
  {
    test::BackgroundProcess stereolint(STEREOLINT_BINARY, arguments("out/"), {folder.path(), {}, {}});
    // Killed once a few rows are in, while workers are still writing.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (stereolint.running() && std::chrono::steady_clock::now() < deadline &&
           test::readLines(folder.file(table)).size() < 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const ProcessResult killed = stereolint.kill();
    EXPECT_EQ(killed.exitCode, -1) << "the run ended before it could be killed";
  }
  expectWholeRows(table);
  const std::vector<std::string> before = test::readLines(folder.file(table));

  std::vector<std::string> again = arguments("out/");
  again.insert(again.end(), {"-s", "1-2"});
  const ProcessResult second = test::runProcess(STEREOLINT_BINARY, again, {folder.path(), {}, {}});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  expectWholeRows(table);
  const std::vector<std::string> after = test::readLines(folder.file(table));
  ASSERT_EQ(after.size(), before.size() + 6) << "two frames of three results each";
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
}

}  // namespace
}  // namespace stereolint
