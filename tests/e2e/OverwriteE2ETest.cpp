// Two takes written under one output prefix: the second one's frame files
// take the first one's names, which is warned about once; the same take run
// again is named only where its doubled rows matter, under quality control.
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "HIERARCHY:VERTICAL";

class Overwrite : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two takes of three frames each, of other scenes.
    ASSERT_TRUE(test::writeVideo(folder.file("A.avi"),
                                 test::sideBySideFrames(test::shiftedPairs(3, {160, 120}, 2)),
                                 "MJPG"));
    auto later = test::shiftedPairs(6, {160, 120}, 2);
    later.erase(later.begin(), later.begin() + 3);
    ASSERT_TRUE(test::writeVideo(folder.file("B.avi"), test::sideBySideFrames(later), "MJPG"));
  }
  ProcessResult run(const std::string& input, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"-m", "CONSOLE",    "-d",   "Stereolint", "-t",
                                          "2",  "-r",         "out/", "-p",         kParameters,
                                          "-o", "VERTICALLY", "-i",   input};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  test::TempFolder folder;
};

TEST_F(Overwrite, AnotherTakeOfTheSameLengthIsWarnedAboutOnce) {
  ASSERT_EQ(run("B.avi").exitCode, 0);
  const ProcessResult result = run("A.avi", {"-s", "2-3"});
  EXPECT_EQ(result.exitCode, 0) << "a warning only";
  EXPECT_EQ(result.err,
            "Warning: \n\t[runtime phase]: ConsoleApplication::run - [output]\n"
            "\t[message      ]: The results of another take under out/ are overwritten by take "
            "A.avi from frame 2 onward (out/2_3_LEFT.png shows other views)\n");
}

TEST_F(Overwrite, TheOtherTakeIsNamedWhenItsReportIsThere) {
  ASSERT_EQ(run("B.avi", {"--qc"}).exitCode, 0);
  const ProcessResult result = run("A.avi");
  EXPECT_NE(result.err.find("The results of take B.avi under out/ are overwritten by take A.avi "
                            "from frame 1 onward"),
            std::string::npos)
      << result.err;
}

// The same take again overwrites nothing of another's, but under quality
// control its table rows standing twice is worth a word.
TEST_F(Overwrite, TheSameTakeRunAgainSaysItsRowsStandTwiceUnderQualityControl) {
  ASSERT_EQ(run("A.avi").exitCode, 0);
  const ProcessResult plain = run("A.avi");
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.err, "");
  const ProcessResult checked = run("A.avi", {"--qc"});
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_EQ(checked.err,
            "Warning: \n\t[runtime phase]: ConsoleApplication::run - [output]\n"
            "\t[message      ]: Take A.avi was run into out/ before (out/1_3_LEFT.png shows the "
            "same views): its rows are added to the tables there a second time; remove the "
            "tables or use another prefix to start clean\n");
}

}  // namespace
}  // namespace stereolint
