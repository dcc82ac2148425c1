// Output prefixes that other runs and other programs share: several runs
// writing into one prefix at once, symbolic links planted at result names,
// and tables that this program did not start. Each run writes only whole
// files of its own, never through a link, and never adds rows where they do
// not belong; what it refuses is named with its reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

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
    "DISTRIBUTION:TRUE,HIERARCHY:VERTICAL";

std::string bytesOf(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class SharedOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto pairs = test::shiftedPairs(1, {320, 240}, 8);
    cv::imwrite(file("left.png"), pairs[0].left);
    cv::imwrite(file("right.png"), pairs[0].right);
  }
  std::vector<std::string> arguments(const std::string& output) const {
    return {"-m", "CONSOLE", "-d", "Stereolint", "-t",         "1", "-p",
            kParameters, "-i", "left.png",   "right.png", "-r", output};
  }
  ProcessResult run(const std::string& output) {
    return test::runProcess(STEREOLINT_BINARY, arguments(output), {folder.path(), {}, {}});
  }
  std::string file(const std::string& name) const { return folder.file(name); }

  test::TempFolder folder;
};

TEST_F(SharedOutput, RunsIntoOnePrefixAtOnceEachWriteWholeFilesAndOneHeader) {
  const ProcessResult single = run("single/");
  ASSERT_EQ(single.exitCode, 0) << single.err;
  const std::vector<std::string> alone = test::readLines(file("single/RESULTS.csv"));
  ASSERT_EQ(alone.size(), 2u);

  constexpr int kRuns = 8;
  std::vector<std::unique_ptr<test::BackgroundProcess>> runs;
  for (int k = 0; k < kRuns; ++k) {
    runs.push_back(std::make_unique<test::BackgroundProcess>(
        STEREOLINT_BINARY, arguments("shared/"), test::ProcessOptions{folder.path(), {}, {}}));
  }
  for (auto& each : runs) {
    const ProcessResult result = each->wait();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
  }

  const std::vector<std::string> rows = test::readLines(file("shared/RESULTS.csv"));
  ASSERT_EQ(rows.size(), 1u + kRuns);
  EXPECT_EQ(rows[0], alone[0]);
  for (size_t k = 1; k < rows.size(); ++k) {
    EXPECT_EQ(test::maskTimes(rows[k] + "\n"), test::maskTimes(alone[1] + "\n")) << k;
  }
  EXPECT_EQ(folder.namesIn("shared"), folder.namesIn("single")) << "no temporary file is left";
  for (const std::string& name : folder.namesIn("single")) {
    if (fs::path(name).extension() != ".png") continue;
    const cv::Mat shared = cv::imread(file("shared/" + name), cv::IMREAD_UNCHANGED);
    ASSERT_FALSE(shared.empty()) << name;
    EXPECT_EQ(bytesOf(file("shared/" + name)), bytesOf(file("single/" + name))) << name;
  }
}

TEST_F(SharedOutput, NothingIsWrittenThroughASymbolicLink) {
  fs::create_directory(file("out"));
  test::writeTextFile(file("victim.txt"), "keep\n");
  test::writeTextFile(file("victim.csv"), "keep\n");
  fs::create_symlink("../victim.txt", file("out/1_1_RESULT.txt.partial"));
  fs::create_symlink("../victim.txt", file("out/1_1_LEFT.png"));
  fs::create_symlink("../victim.csv", file("out/RESULTS.csv"));

  const ProcessResult result = run("out/");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Cannot write out/RESULTS.csv: it is a symbolic link"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("Cannot write out/1_1_"), std::string::npos) << result.err;
  EXPECT_EQ(test::readTextFile(file("victim.txt")), "keep\n");
  EXPECT_EQ(test::readTextFile(file("victim.csv")), "keep\n");
  EXPECT_TRUE(fs::is_symlink(file("out/RESULTS.csv")));
  // The frame's files are still written, as files of their own: a link at
  // a result's name is replaced by the result.
  EXPECT_FALSE(fs::is_symlink(file("out/1_1_LEFT.png")));
  EXPECT_FALSE(cv::imread(file("out/1_1_LEFT.png")).empty());
  EXPECT_EQ(test::readLines(file("out/1_1_RESULT.txt")).at(5), "VERTICAL MEDIAN : 8");
}

TEST_F(SharedOutput, ATableWithoutItsLastLineEndGetsItsNewRowOnALineOfItsOwn) {
  ASSERT_EQ(run("out/").exitCode, 0);
  std::string earlier = test::readTextFile(file("out/RESULTS.csv"));
  earlier.pop_back();
  test::writeTextFile(file("out/RESULTS.csv"), earlier);

  const ProcessResult again = run("out/");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  const std::vector<std::string> rows = test::readLines(file("out/RESULTS.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(test::maskTimes(rows[1] + "\n"), test::maskTimes(rows[2] + "\n"));
  EXPECT_EQ(test::readTextFile(file("out/RESULTS.csv")).back(), '\n');
}

TEST_F(SharedOutput, NoRowIsAddedUnderAnotherTablesHeader) {
  fs::create_directory(file("out"));
  const std::string foreign = "name,value\nA,1\n";
  test::writeTextFile(file("out/RESULTS.csv"), foreign);

  const ProcessResult result = run("out/");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Cannot write out/RESULTS.csv: its first line is not the header "
                            "this program writes"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(test::readTextFile(file("out/RESULTS.csv")), foreign);
  EXPECT_FALSE(cv::imread(file("out/1_1_SUMMARY.png")).empty()) << "the other files are written";
}

TEST_F(SharedOutput, WarningsSayWhyAFileOrFolderCannotBeMade) {
  test::writeTextFile(file("blocker"), "a file in the way");
  const ProcessResult blocked = run("blocker/out/");
  EXPECT_EQ(blocked.exitCode, 255);
  EXPECT_NE(blocked.err.find("Cannot create the folder blocker/: File exists\n"),
            std::string::npos)
      << blocked.err;
  EXPECT_NE(blocked.err.find("Cannot write blocker/out/1_1_LEFT.png: Not a directory\n"),
            std::string::npos)
      << blocked.err;

  const std::string longName = "out/" + std::string(300, 'n');
  const ProcessResult tooLong = run(longName);
  EXPECT_EQ(tooLong.exitCode, 255);
  EXPECT_NE(tooLong.err.find("Cannot write " + longName + "1_1_RESULT.txt: File name too long\n"),
            std::string::npos)
      << tooLong.err;
  EXPECT_NE(tooLong.err.find("Cannot write " + longName + "RESULTS.csv: File name too long\n"),
            std::string::npos);
}

}  // namespace
}  // namespace stereolint
