#include <gtest/gtest.h>

#include <filesystem>

#include "results/ResultsTable.h"
#include "support/CurrentFolder.h"
#include "support/SampleResults.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::makeResult;

const std::string kHeader =
    ",ID,SIZE,ALL POINTS,CALCULATION POINTS,AVERAGE,AVERAGE STANDARD DEVIATION,AVERAGE ABS,"
    "MEDIAN,MEDIAN ABSOLUTE DEVIATION,CENTYL 70,TIME\n";

// A complete measurement, its values in the order a checker adds them.
std::unique_ptr<Result> complete(const std::string& name, double average) {
  return makeResult(name, {{"ALL POINTS", 120},
                           {"CALCULATION POINTS", 100},
                           {"AVERAGE", average},
                           {"AVERAGE STANDARD DEVIATION", 0.5},
                           {"AVERAGE ABS", 1e-7},
                           {"MEDIAN", -average},
                           {"MEDIAN ABSOLUTE DEVIATION", 0.25},
                           {"CENTYL 70", 3},
                           {"TIME", 12345}});
}

TEST(AppendResultsRows, OneHeaderAboveTheRowsOfEveryRun) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/res/";
  Results first;
  first.push_back(complete("VERTICAL", 0.4375));
  first.push_back(complete("ROTATION", 2));
  Results second;
  second.push_back(complete("SCALE", 1.0625));

  EXPECT_TRUE(appendResultsRows(1234, 5678, first, out).empty());
  EXPECT_TRUE(appendResultsRows(1, 10, second, out).empty());
  EXPECT_TRUE(appendResultsRows(1, 1, {}, out).empty());

  EXPECT_EQ(test::readTextFile(out + "RESULTS.csv"),
            kHeader +
                "VERTICAL,1234,5678,120,100,0.4375,0.5,1e-07,-0.4375,0.25,3,12345\n"
                "ROTATION,1234,5678,120,100,2,0.5,1e-07,-2,0.25,3,12345\n"
                "SCALE,1,10,120,100,1.0625,0.5,1e-07,-1.0625,0.25,3,12345\n");
}

TEST(AppendResultsRows, EveryValueFindsItsColumnAndNoneIsLost) {
  test::TempFolder folder;
  const test::CurrentFolder inside(folder.path());
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 0.25}}));
  results.push_back(makeResult("ROTATION", {{"MEDIAN", 1.5}, {"AVERAGE", -1}}));
  results.push_back(makeResult("SCALE", {{"SKEW", 7}, {"TIME", 1}, {"TIME", 2}}));

  EXPECT_TRUE(appendResultsRows(3, 10, results, "out").empty());
  EXPECT_EQ(test::readTextFile("outRESULTS.csv"), kHeader +
                                                      "VERTICAL,3,10,,,,,,,,,0.25\n"
                                                      "ROTATION,3,10,,,-1,,,1.5,,,\n"
                                                      "SCALE,3,10,,,,,,,,,1,7,2\n");
  EXPECT_FALSE(fs::exists("out")) << "a prefix without separator makes no folder";
}

TEST(AppendResultsRows, ReportsATableThatCannotBeWritten) {
  test::TempFolder folder;
  test::writeTextFile(folder.file("blocker"), "a file in the way");
  const std::string out = folder.path() + "/blocker/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 1}}));
  results.push_back(makeResult("ROTATION", {{"TIME", 2}}));

  const WriteFailures failures = appendResultsRows(1, 1, results, out);
  EXPECT_EQ(failures.folders, (std::vector<WriteFailure>{{out, "File exists"}}));
  EXPECT_EQ(failures.files, (std::vector<WriteFailure>{{out + "RESULTS.csv", "Not a directory"}}));
}

TEST(AppendResultsRows, ALastLineWithoutItsEndIsEndedFirst) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 1}}));
  for (const std::string& earlier :
       {kHeader + "SCALE,1,1,,,,,,,,,2", kHeader.substr(0, kHeader.size() - 1)}) {
    test::writeTextFile(out + "RESULTS.csv", earlier);
    EXPECT_TRUE(appendResultsRows(2, 2, results, out).empty());
    EXPECT_EQ(test::readTextFile(out + "RESULTS.csv"), earlier + "\nVERTICAL,2,2,,,,,,,,,1\n");
  }
}

TEST(AppendResultsRows, NoRowGoesUnderAnotherHeader) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 1}}));
  results.push_back(makeResult("SCALE", {{"TIME", 2}}));
  const std::string ownHeader = kHeader.substr(0, kHeader.size() - 1);
  for (const std::string& foreign :
       {std::string("name,value\nA,1\n"), std::string(",ID,SIZE,TIME\n"), ownHeader + ",SKEW\n",
        "\n" + kHeader, kHeader.substr(0, 20)}) {
    test::writeTextFile(out + "RESULTS.csv", foreign);
    const WriteFailures failures = appendResultsRows(1, 1, results, out);
    EXPECT_EQ(failures.files,
              (std::vector<WriteFailure>{
                  {out + "RESULTS.csv", "its first line is not the header this program writes"}}))
        << foreign;
    EXPECT_EQ(test::readTextFile(out + "RESULTS.csv"), foreign);
  }
}

TEST(AppendResultsRows, TheTableIsNeverWrittenThroughASymbolicLink) {
  test::TempFolder folder;
  const std::string out = folder.path() + "/";
  test::writeTextFile(folder.file("elsewhere"), kHeader);
  fs::create_symlink(folder.file("elsewhere"), out + "RESULTS.csv");
  Results results;
  results.push_back(makeResult("VERTICAL", {{"TIME", 1}}));

  const WriteFailures failures = appendResultsRows(1, 1, results, out);
  EXPECT_EQ(failures.files,
            (std::vector<WriteFailure>{{out + "RESULTS.csv", "it is a symbolic link"}}));
  EXPECT_EQ(test::readTextFile(folder.file("elsewhere")), kHeader);
  fs::remove(out + "RESULTS.csv");
  fs::create_symlink(folder.file("missing"), out + "RESULTS.csv");
  EXPECT_EQ(appendResultsRows(1, 1, results, out).files.at(0).reason, "it is a symbolic link");
  EXPECT_FALSE(fs::exists(folder.file("missing"))) << "a dangling link makes no file either";
}

}  // namespace
}  // namespace stereolint
