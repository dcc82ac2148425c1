#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>
#include <opencv2/imgcodecs.hpp>

#include "results/ResultWriters.h"
#include "support/CurrentFolder.h"
#include "support/SampleResults.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::makeResult;
using Failures = std::vector<WriteFailure>;

cv::Mat picture(int type, double value) { return cv::Mat(3, 4, type, cv::Scalar::all(value)); }

bool storedAs(const std::string& path, const cv::Mat& expected) {
  const cv::Mat stored = cv::imread(path, cv::IMREAD_UNCHANGED);
  return stored.size() == expected.size() && stored.type() == expected.type() &&
         cv::norm(stored, expected, cv::NORM_INF) == 0;
}

TEST(WriteFrameFiles, NamesEveryFileAfterTheFrameAndWritesItsContent) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"AVERAGE", 0.4375}, {"TIME", 1e-7}},
                               {{"CIRCLES", picture(CV_8UC3, 10)}}));
  results.push_back(makeResult("ROTATION", {{"MEDIAN", -1234567.0}, {"AVERAGE", 12345}},
                               {{"CIRCLES", picture(CV_8UC3, 20)}}));
  const cv::Mat left = picture(CV_16UC3, 300), right = picture(CV_16UC3, 40000);
  const cv::Mat summary = picture(CV_8UC3, 3);

  const WriteFailures failures =
      writeFrameParts(FrameParts::All, left, right, 7, 120, results, summary, out);

  EXPECT_TRUE(failures.empty());
  EXPECT_TRUE(storedAs(out + "7_120_LEFT.png", left)) << "16-bit views stay 16-bit";
  EXPECT_TRUE(storedAs(out + "7_120_RIGHT.png", right));
  EXPECT_TRUE(storedAs(out + "7_120_SUMMARY.png", summary));
  EXPECT_TRUE(storedAs(out + "7_120_VERTICAL_CIRCLES.png", picture(CV_8UC3, 10)));
  EXPECT_TRUE(storedAs(out + "7_120_ROTATION_CIRCLES.png", picture(CV_8UC3, 20)));
  EXPECT_EQ(test::readTextFile(out + "7_120_RESULT.txt"),
            "VERTICAL AVERAGE : 0.4375\nVERTICAL TIME : 1e-07\n"
            "ROTATION MEDIAN : -1.23457e+06\nROTATION AVERAGE : 12345\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6);
}

TEST(WriteFrameParts, TextAndPicturesApartMakeTheFilesOfTheWholeFrame) {
  test::TempFolder folder;
  const std::string whole = folder.path() + "/whole/", parts = folder.path() + "/parts/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"MEDIAN", 2}}, {{"CIRCLES", picture(CV_8UC3, 10)}}));
  const cv::Mat view = picture(CV_8UC3, 50), summary = picture(CV_8UC3, 3);
  const auto names = [](const std::string& folderPath) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(folderPath)) {
      found.insert(entry.path().filename().string());
    }
    return found;
  };

  ASSERT_TRUE(writeFrameParts(FrameParts::All, view, view, 3, 9, results, summary, whole).empty());
  ASSERT_TRUE(
      writeFrameParts(FrameParts::Text, view, view, 3, 9, results, summary, parts).empty());
  EXPECT_EQ(names(parts), (std::set<std::string>{"3_9_RESULT.txt"}));
  EXPECT_EQ(test::readTextFile(parts + "3_9_RESULT.txt"), "VERTICAL MEDIAN : 2\n");

  ASSERT_TRUE(
      writeFrameParts(FrameParts::Pictures, view, view, 3, 9, results, summary, parts).empty());
  EXPECT_EQ(names(parts), names(whole));
  EXPECT_TRUE(storedAs(parts + "3_9_VERTICAL_CIRCLES.png", picture(CV_8UC3, 10)));
  EXPECT_TRUE(storedAs(parts + "3_9_SUMMARY.png", summary));
}

TEST(WriteFrameFiles, APrefixWithoutSeparatorStartsTheFileNames) {
  test::TempFolder folder;
  const test::CurrentFolder inside(folder.path());
  Results results;
  results.push_back(makeResult("SCALE", {{"TIME", 2}}));
  const cv::Mat view = picture(CV_8UC1, 9);

  EXPECT_TRUE(writeFrameParts(FrameParts::All, view, view, 1, 1, results, view, "out").empty());
  EXPECT_TRUE(fs::is_regular_file("out1_1_LEFT.png"));
  EXPECT_EQ(test::readTextFile("out1_1_RESULT.txt"), "SCALE TIME : 2\n");
  EXPECT_FALSE(fs::exists("out"));
}

TEST(MakeDirectories, CreatesEveryFolderUpToTheLastSeparator) {
  test::TempFolder folder;
  const test::CurrentFolder inside(folder.path());
  EXPECT_TRUE(makeDirectories("a/b/c/").empty());
  EXPECT_TRUE(fs::is_directory("a/b/c"));
  EXPECT_TRUE(makeDirectories("a/b/c/").empty()) << "existing folders are fine";
  EXPECT_TRUE(makeDirectories(folder.path() + "/d/e/run").empty());
  EXPECT_TRUE(fs::is_directory("d/e"));
  EXPECT_FALSE(fs::exists("d/e/run"));
}

TEST(WriteFrameFiles, ReportsWhatCannotBeWrittenAndPrintsNothing) {
  test::TempFolder folder;
  test::writeTextFile(folder.file("blocker"), "a file in the way");
  const std::string out = folder.path() + "/blocker/sub/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 1}}, {{"CIRCLES", picture(CV_8UC3, 1)}}));
  const cv::Mat view = picture(CV_8UC3, 5);

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const WriteFailures failures = writeFrameParts(FrameParts::All, view, view, 2, 3, results, view, out);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  const std::string notFolder = "Not a directory";
  EXPECT_EQ(failures.folders,
            (Failures{{folder.path() + "/blocker/", "File exists"}, {out, notFolder}}))
      << "each folder once, though three writers tried it, with the system's reason";
  EXPECT_EQ(failures.files, (Failures{{out + "2_3_LEFT.png", notFolder},
                                      {out + "2_3_RIGHT.png", notFolder},
                                      {out + "2_3_RESULT.txt", notFolder},
                                      {out + "2_3_VERTICAL_CIRCLES.png", notFolder},
                                      {out + "2_3_SUMMARY.png", notFolder}}));
}

TEST(WriteFrameFiles, GoesOnAfterAFileThatCannotBeWritten) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  fs::create_directory(out + "1_1_RESULT.txt");  // a folder where the text belongs
  Results results;
  results.push_back(makeResult("VERTICAL", {{"AVERAGE", 1}},
                               {{"CIRCLES", cv::Mat()}, {"MATCHES", picture(CV_8UC3, 7)}}));
  const cv::Mat view = picture(CV_8UC3, 5);

  const WriteFailures failures = writeFrameParts(FrameParts::All, view, view, 1, 1, results, cv::Mat(), out);

  EXPECT_TRUE(failures.folders.empty());
  const std::string noPng = "the picture cannot be stored as PNG";
  EXPECT_EQ(failures.files, (Failures{{out + "1_1_RESULT.txt", "Is a directory"},
                                      {out + "1_1_VERTICAL_CIRCLES.png", noPng},
                                      {out + "1_1_SUMMARY.png", noPng}}));
  EXPECT_TRUE(storedAs(out + "1_1_RIGHT.png", view));
  EXPECT_TRUE(storedAs(out + "1_1_VERTICAL_MATCHES.png", picture(CV_8UC3, 7)));
}

// The summary drawn last, from what is left once the other pictures are
// written: the same files and failures as writing everything at once.
TEST(WriteFrameFilesSummaryLast, WritesTheFilesAndFailuresOfTheWholeFrame) {
  test::TempFolder folder;
  const std::string whole = folder.path() + "/whole/", late = folder.path() + "/late/";
  const auto frameResults = [] {
    Results results;
    results.push_back(makeResult("VERTICAL", {{"MEDIAN", 2}},
                                 {{"CIRCLES", picture(CV_8UC3, 10)},
                                  {"MATCHES", picture(CV_8UC3, 11)},
                                  {"CORRECT_LEFT", cv::Mat()}}));
    results.push_back(makeResult("SCALE", {{"MEDIAN", 1.01}},
                                 {{"CIRCLES", picture(CV_8UC3, 20)},
                                  {"MATCHES", picture(CV_8UC3, 21)}}));
    return results;
  };
  const std::vector<PictureName> sources = {{"VERTICAL", "CORRECT_LEFT"}, {"SCALE", "CIRCLES"}};
  const cv::Mat view = picture(CV_8UC3, 50);
  for (const std::string& out : {whole, late}) fs::create_directories(out + "2_4_RESULT.txt");

  const Results all = frameResults();
  std::vector<PictureName> seenBySummary;
  const auto draw = [&](const Results& left) {
    seenBySummary = pictureNames(left);
    return picture(CV_8UC3, static_cast<double>(left.size()));
  };
  const WriteFailures expected =
      writeFrameParts(FrameParts::All, view, view, 2, 4, all, draw(all), whole);
  Results results = frameResults();
  cv::Mat summary;
  const WriteFailures failures =
      writeFrameFilesSummaryLast(view, view, 2, 4, results, sources, draw, summary, late);

  EXPECT_EQ(seenBySummary, sources) << "the summary sees its own pictures, nothing else";
  EXPECT_EQ(pictureNames(results), sources);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1]->getKeyValues()[0]->getValue(), 1.01) << "values are all kept";
  EXPECT_TRUE(storedAs(late + "2_4_SUMMARY.png", summary));

  const auto relative = [](std::vector<WriteFailure> list, const std::string& out) {
    for (WriteFailure& failure : list) failure.path = failure.path.substr(out.size());
    return list;
  };
  EXPECT_EQ(relative(failures.files, late), relative(expected.files, whole));
  ASSERT_EQ(failures.files.size(), 2u) << "RESULT.txt, then the empty CORRECT_LEFT";
  for (const auto& entry : fs::directory_iterator(whole)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) continue;
    EXPECT_EQ(test::readTextFile(whole + name), test::readTextFile(late + name)) << name;
  }
}

TEST(WriteFrameFiles, ConcurrentWritersOfOneFrameLeaveOneWholeFileEach) {
  // Two runs into one prefix: each file ends as one writer's whole content,
  // never a mix, and no temporary file is left.
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  const cv::Mat dark = picture(CV_8UC3, 10), bright = picture(CV_8UC3, 200);
  Results results;
  results.push_back(makeResult("VERTICAL", {{"AVERAGE", 1}}));
  std::vector<std::thread> writers;
  std::vector<WriteFailures> failures(8);
  for (size_t k = 0; k < failures.size(); ++k) {
    writers.emplace_back([&, k] {
      const cv::Mat& view = k % 2 == 0 ? dark : bright;
      for (int round = 0; round < 20; ++round) {
        failures[k].add(writeFrameParts(FrameParts::All, view, view, 1, 1, results, view, out));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (const WriteFailures& each : failures) EXPECT_TRUE(each.empty());
  EXPECT_TRUE(storedAs(out + "1_1_LEFT.png", dark) || storedAs(out + "1_1_LEFT.png", bright));
  EXPECT_EQ(folder.namesIn(""), (std::set<std::string>{"1_1_LEFT.png", "1_1_RIGHT.png",
                                                        "1_1_RESULT.txt", "1_1_SUMMARY.png"}))
      << "no temporary file is left";
}

TEST(WriteFrameFiles, ANameNearTheFileSystemsLimitIsStillWritten) {
  // 236 + "1_1_RESULT.txt" makes 250 bytes, within the usual limit of 255
  // though the temporary name beside it would not be.
  test::TempFolder folder;
  const std::string out = folder.path() + "/" + std::string(236, 'n');
  Results results;
  results.push_back(makeResult("SCALE", {{"TIME", 2}}));
  const cv::Mat view(2, 2, CV_8UC3, cv::Scalar::all(7));
  EXPECT_TRUE(writeFrameParts(FrameParts::All, view, view, 1, 1, results, view, out).empty());
  EXPECT_EQ(test::readTextFile(out + "1_1_RESULT.txt"), "SCALE TIME : 2\n");
  EXPECT_EQ(folder.namesIn("").size(), 4u) << "no temporary file is left";
  const WriteFailures tooLong =
      writeFrameParts(FrameParts::All, view, view, 1, 1, results, view, out + "nnnnnnnnnn");
  ASSERT_EQ(tooLong.files.size(), 4u);
  for (const WriteFailure& failure : tooLong.files) EXPECT_EQ(failure.reason, "File name too long");
  EXPECT_EQ(folder.namesIn("").size(), 4u);
}

TEST(WriteFrameFiles, ASymbolicLinkAtAResultNameIsReplacedNotWrittenThrough) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/out/";
  fs::create_directory(out);
  test::writeTextFile(folder.file("elsewhere"), "keep");
  fs::create_symlink(folder.file("elsewhere"), out + "1_1_RESULT.txt");
  fs::create_symlink(folder.file("elsewhere"), out + "1_1_RESULT.txt.partial");
  Results results;
  results.push_back(makeResult("SCALE", {{"TIME", 2}}));

  const cv::Mat view(2, 2, CV_8UC3, cv::Scalar::all(7));
  EXPECT_TRUE(writeFrameParts(FrameParts::All, view, view, 1, 1, results, view, out).empty());
  EXPECT_EQ(test::readTextFile(folder.file("elsewhere")), "keep");
  EXPECT_FALSE(fs::is_symlink(out + "1_1_RESULT.txt"));
  EXPECT_EQ(test::readTextFile(out + "1_1_RESULT.txt"), "SCALE TIME : 2\n");
}

}  // namespace
}  // namespace stereolint
