// The command line as a user meets it: the real binary, its exit status and
// the exact text on each stream.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CommandLine.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "util/ToolFacts.h"

namespace stereolint {
namespace {

using test::ProcessResult;
using test::TempFolder;

ProcessResult stereolint(const std::vector<std::string>& arguments,
                         const std::string& workingFolder = "") {
  return test::runProcess(STEREOLINT_BINARY, arguments, {workingFolder, {}, {}});
}

// The refusal of incomplete arguments: the mode's line, then what is missing.
std::string incomplete(const std::string& mode, const std::string& missing) {
  return "Wrong application arguments for " + mode + " mode\nMissing or unreadable: " + missing +
         "\nHELP: Stereolint -h\n\n";
}
const char* const kNoOrientation = "-o (VERTICALLY or HORIZONTALLY, how one file holds both views)";

TEST(CommandLineE2E, HelpPrintsTheUsageTextAndSucceeds) {
  const ProcessResult result = stereolint({"-h"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, usageText());
  EXPECT_EQ(result.err, "");
}

TEST(CommandLineE2E, HelpAsTheValueOfAnotherOptionStillHelps) {
  const ProcessResult result = stereolint({"-m", "nonsense", "-r", "-h"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, usageText());
}

TEST(CommandLineE2E, VersionPrintsTheVersionTextAloneAndSucceeds) {
  // Arguments that would start a run are not read after --version; nothing
  // is written.
  TempFolder folder;
  const ProcessResult result =
      stereolint({"-m", "CONSOLE", "--version", "-i", "missing.png", "-r", folder.file("out/")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, versionText("Stereolint"));
  EXPECT_EQ(result.out.rfind("Stereolint 1.0.0\nrevision ", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
  EXPECT_EQ(stereolint({"--versoin"}).err,
            "--versoin: unknown option; did you mean --version?\nHELP: Stereolint -h\n\n");
}

TEST(CommandLineE2E, NoArgumentsFailForGuiMode) {
  const ProcessResult result = stereolint({});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, incomplete("GUI", "-i (the input files); -d (the disparity method); "
                                          "-t (the number of worker threads); -r (the output "
                                          "prefix)"));
}

TEST(CommandLineE2E, LowerCaseModeIsUnknownAndTheSpellingMeantIsNamed) {
  const ProcessResult result = stereolint({"-m", "console"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.err,
            "Wrong application MODE\n-m console: did you mean CONSOLE?\nHELP: Stereolint -h\n\n");
  EXPECT_EQ(stereolint({"-m", "TERMINAL"}).err, "Wrong application MODE\nHELP: Stereolint -h\n\n");
}

class CommandLineWithFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeTextFile(folder.file("left.png"), "not really a picture");
    test::writeTextFile(folder.file("right.png"), "not really a picture");
  }
  // Runs in the temp folder and checks that a rejected start left no file.
  ProcessResult rejected(const std::vector<std::string>& arguments) {
    const ProcessResult result = stereolint(arguments, folder.path());
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.out, "");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      ++entries;
    }
    EXPECT_EQ(entries, 2u) << "a rejected start writes no file";
    return result;
  }
  TempFolder folder;
};

TEST_F(CommandLineWithFiles, MissingSecondPathMakesASingleSourceThatNeedsAnOrientation) {
  const ProcessResult result =
      rejected({"-m", "CONSOLE", "-i", "left.png", "absent.png", "-d", "Stereolint", "-t", "1",
                "-r", "out/"});
  EXPECT_EQ(result.err, incomplete("CONSOLE", "the second input absent.png (no readable file); " +
                                                  std::string(kNoOrientation)));
}

TEST_F(CommandLineWithFiles, SamePathTwiceIsNoPair) {
  const ProcessResult result = rejected(
      {"-m", "CONSOLE", "-i", "left.png", "left.png", "-d", "Stereolint", "-t", "1", "-r", "o/"});
  EXPECT_EQ(result.err, incomplete("CONSOLE", kNoOrientation));
}

TEST_F(CommandLineWithFiles, MethodGivenWithAnotherOptionWordIsNotRead) {
  const ProcessResult result = rejected({"-m", "CONSOLE", "-i", "left.png", "right.png", "-x",
                                         "Stereolint", "-t", "1", "-r", "o/"});
  EXPECT_EQ(result.err, incomplete("CONSOLE", "-d (the disparity method)"));
}

TEST_F(CommandLineWithFiles, ThreadCountMustBeAWholeNumberOfAtLeastOne) {
  const ProcessResult result = rejected({"-m", "CONSOLE", "-i", "left.png", "right.png", "-d",
                                         "Stereolint", "-t", "none", "-r", "o/"});
  EXPECT_EQ(result.err,
            "Wrong threads amount \"none\": a whole number of at least 1 is needed\n"
            "HELP: Stereolint -h\n\n");
  // Digits with more after them read as the digits, and the run says so
  // before it goes on (here to inputs it cannot read).
  const ProcessResult lenient = stereolint({"-m", "CONSOLE", "-i", "left.png", "right.png", "-d",
                                            "Stereolint", "-t", "2x", "-r", "o/"},
                                           folder.path());
  EXPECT_NE(lenient.err.find("Warning: \n\t[runtime phase]: ConsoleApplication::run - "
                             "[arguments]\n\t[message      ]: -t: \"2x\" is read as 2\n"),
            std::string::npos)
      << lenient.err;
}

TEST_F(CommandLineWithFiles, OrientationMustBeOneOfTheTwoWords) {
  const ProcessResult result = rejected({"-i", "left.png", "-o", "DIAGONALLY", "-d", "Stereolint",
                                         "-t", "2", "-r", "o/"});
  EXPECT_EQ(result.err,
            "Wrong frame orientation \"DIAGONALLY\": VERTICALLY or HORIZONTALLY is needed\n"
            "HELP: Stereolint -h\n\n");
}

// A misspelt option is refused with the one meant, before any input is
// read.
TEST_F(CommandLineWithFiles, MisspeltOptionsAreRefusedWithTheOneMeant) {
  const std::vector<std::string> run = {"-m", "CONSOLE", "-i", "left.png", "right.png",
                                        "-d", "Stereolint", "-t", "1", "-r", "o/"};
  const auto with = [&run](std::vector<std::string> more) {
    more.insert(more.begin(), run.begin(), run.end());
    return more;
  };
  EXPECT_EQ(rejected(with({"--qc", "--picture", "flagged"})).err,
            "--picture: unknown option; did you mean --pictures?\nHELP: Stereolint -h\n\n");
  EXPECT_EQ(rejected(with({"--evry=5"})).err,
            "--evry: unknown option; did you mean --every?\nHELP: Stereolint -h\n\n");
  // --KEY=VALUE is read as --KEY VALUE: the value is checked as such.
  EXPECT_EQ(rejected(with({"--every=0"})).err,
            "--every: \"0\" is not a whole number of at least 1\nHELP: Stereolint -h\n\n");
}

TEST_F(CommandLineWithFiles, UnusableParametersAreReportedBeforeAnyInputIsRead) {
  const ProcessResult result =
      rejected({"-m", "CONSOLE", "-i", "left.png", "right.png", "-d", "Stereolint", "-t", "1",
                "-r", "o/", "-p",
                "WIDTH:10,HEIGHT:10,DETECTOR:SURF,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
                "HIERARCHY:VERTICAL"});
  EXPECT_EQ(result.err,
            "Wrong parameter DETECTOR \"SURF\": not available in this build of the image library\n"
            "HELP: Stereolint -h\n\n");
}

}  // namespace
}  // namespace stereolint
