#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::TempFolder;
using test::writeTextFile;

CommandLine read(std::vector<std::string> words) {
  words.insert(words.begin(), "Stereolint");
  return readCommandLine(words);
}

TEST(UsageText, IsExactToTheByte) {
  const std::string expected =
      "USAGE: Stereolint.exe [ARGUMENTS]\n"
      "\n"
      "ARGUMENTS:\n"
      "\t-m GUI | CONSOLE                   -- application mode, default GUI\n"
      "\t-i [PATH]                          -- input files path, required\n"
      "\t-o VERTICALLY | HORIZONTALLY       -- frame orientation, required (at least one input "
      "file)\n"
      "\t-d [DISPARITY METHOD]              -- disparity method, required: Stereolint, Alignment\n"
      "\t-t [THREADS AMOUNT]                -- calculation threads, required\n"
      "\t-r [PATH]                          -- output path, required\n"
      "\t-p [DISPARITY METHOD PARAMETERS]   -- parameters, optional\n"
      "\t-s [SEQUENCE]                      -- frames sequence, optional\n"
      "\t--squeeze 1 | 2                    -- stretch half-width or half-height views back, with -o, "
      "optional\n"
      "\t--qc                               -- quality control and report, optional\n"
      "\t--limits TEXT                      -- quality limits, optional, e.g. VERTICAL:0.3%/1%\n"
      "\t--pictures all|flagged|worst|none  -- which frames' pictures are written, default all\n"
      "\t--fps N                            -- frame rate of stills and sequences, optional\n"
      "\t--start-timecode HH:MM:SS:FF       -- timecode of frame 1, optional\n"
      "\t--fail-on fix | reject             -- exit code 3 at or beyond that shot verdict, "
      "optional\n"
      "\t--min-judged PERCENT               -- with --fail-on: exit code 4 below, default 50\n"
      "\t--correct right | both             -- the eyes --corrections warps, default right\n"
      "\t--every N                          -- analyse every N-th frame of a take, optional\n"
      "\t--per-shot K                       -- analyse K frames spread over each shot (with "
      "--qc), optional\n"
      "\t--screen SIZE                      -- screen width (12m, 1200mm), diagonal (55in) or tv, "
      "cinema, imax, optional\n"
      "\t--interocular MM                   -- viewers' eye separation in mm for --screen, default "
      "65\n"
      "\t--quiet                            -- no frame blocks: shot and take lines, warnings, "
      "errors\n"
      "\t--count-frames                     -- print the number of frames a run would read, and "
      "stop\n"
      "\t--corrections                      -- with --qc: each shot's correction and an ffmpeg "
      "script, optional\n"
      "\t--version                          -- program, source revision and library versions\n"
      "\t-h                                 -- console help\n"
      "\n";
  EXPECT_EQ(usageText(), expected);
}

TEST(ReadCommandLine, ValueWordsAreExaminedAsOptionsToo) {
  // "-r" takes "-h" as its value, and the scan then meets "-h" itself.
  const CommandLine line = read({"-m", "CONSOLE", "-r", "-h", "-d", "Stereolint"});
  EXPECT_TRUE(line.help);
  EXPECT_EQ(line.settings.resultPath, "-h");
  EXPECT_EQ(line.settings.method, "") << "words after -h are not read";

  // A value that is itself "-d" sets the method from the word after it.
  const CommandLine chained = read({"-p", "-d", "Stereolint"});
  EXPECT_EQ(chained.settings.parameters, "-d");
  EXPECT_EQ(chained.settings.method, "Stereolint");
}

TEST(ReadCommandLine, LaterOccurrenceWinsAndUnknownWordsAreIgnored) {
  const CommandLine line = read({"-t", "2", "--verbose", "-t", "4", "-x"});
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.settings.threads, "4");
  EXPECT_EQ(line.settings.mode, "GUI");
}

TEST(ReadCommandLine, OptionWithoutValueCountsAsNotGiven) {
  EXPECT_EQ(read({"-t", "3", "-t"}).settings.threads, "");
  EXPECT_EQ(read({"-m", "CONSOLE", "-m"}).settings.mode, "GUI");
  const CommandLine lastInput = read({"-i"});
  EXPECT_EQ(lastInput.settings.inputs[0], "");
  EXPECT_EQ(lastInput.settings.inputs[1], "");
}

TEST(ReadCommandLine, QualityControlOptionsAreKeptAsGiven) {
  const CommandLine line = read({"-t", "2", "--limits", "VERTICAL:2/4", "--qc", "--pictures",
                                 "flagged", "--fps", "25", "--start-timecode", "01:00:00:00",
                                 "--fail-on", "fix"});
  const qc::QcOptionTexts& quality = line.settings.quality;
  EXPECT_TRUE(quality.qc);
  EXPECT_EQ(quality.limits, "VERTICAL:2/4");
  EXPECT_EQ(quality.pictures, "flagged");
  EXPECT_EQ(quality.fps, "25");
  EXPECT_EQ(quality.startTimecode, "01:00:00:00");
  EXPECT_EQ(quality.failOn, "fix");
  EXPECT_EQ(line.settings.threads, "2");

  const qc::QcOptionTexts none = read({"-t", "2", "--pictures"}).settings.quality;
  EXPECT_FALSE(none.qc);
  EXPECT_FALSE(none.pictures) << "an option without its value is not given";
  EXPECT_FALSE(none.limits);
}

TEST(ReadCommandLine, SecondInputOnlyWhenItIsAReadableFile) {
  TempFolder folder;
  const std::string first = folder.file("left.png");
  const std::string second = folder.file("right.png");
  writeTextFile(first, "x");
  writeTextFile(second, "x");

  const CommandLine pair = read({"-i", first, second});
  EXPECT_EQ(pair.settings.inputs[0], first);
  EXPECT_EQ(pair.settings.inputs[1], second);

  const CommandLine missing = read({"-i", first, folder.file("absent.png")});
  EXPECT_EQ(missing.settings.inputs[1], first);

  const CommandLine option = read({"-i", first, "-o", "VERTICALLY"});
  EXPECT_EQ(option.settings.inputs[1], first);
  EXPECT_EQ(option.settings.orientation, "VERTICALLY");

  const CommandLine folderWord = read({"-i", first, folder.path()});
  EXPECT_EQ(folderWord.settings.inputs[1], first) << "a folder is no input file";
}

class CheckSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    first = folder.file("a.png");
    second = folder.file("b.png");
    writeTextFile(first, "x");
    writeTextFile(second, "x");
  }
  Settings stereoSource() const {
    Settings settings;
    settings.mode = "CONSOLE";
    settings.inputs = {first, first};
    settings.orientation = "VERTICALLY";
    settings.method = "Stereolint";
    settings.threads = "2";
    settings.resultPath = folder.path() + "/out/";
    return settings;
  }
  TempFolder folder;
  std::string first, second;
};

TEST_F(CheckSettings, CompleteSettingsPass) {
  EXPECT_EQ(checkSettings(stereoSource()), std::nullopt);
  Settings pair = stereoSource();
  pair.inputs = {first, second};
  pair.orientation.clear();
  EXPECT_EQ(checkSettings(pair), std::nullopt);
}

TEST_F(CheckSettings, NoArgumentsFailInGuiMode) {
  const auto error = checkSettings(Settings{});
  ASSERT_TRUE(error);
  EXPECT_EQ(error->rfind("Wrong application arguments for GUI mode\nMissing or unreadable: -i", 0),
            0u)
      << *error;
}

TEST_F(CheckSettings, ModeWordIsCaseSensitive) {
  Settings settings = stereoSource();
  settings.mode = "console";
  EXPECT_EQ(checkSettings(settings),
            "Wrong application MODE\n-m console: did you mean CONSOLE?\nHELP: Stereolint -h\n\n");
}

TEST_F(CheckSettings, IncompleteInputsFailNamingWhatIsMissing) {
  const auto consoleError = [](const std::string& missing) {
    return "Wrong application arguments for CONSOLE mode\nMissing or unreadable: " + missing +
           "\nHELP: Stereolint -h\n\n";
  };
  Settings samePathTwice = stereoSource();
  samePathTwice.orientation.clear();
  EXPECT_EQ(checkSettings(samePathTwice),
            consoleError("-o (VERTICALLY or HORIZONTALLY, how one file holds both views)"))
      << "a pair needs two different paths";

  Settings missingFile = stereoSource();
  missingFile.inputs = {folder.file("none.png"), folder.file("none.png")};
  EXPECT_EQ(checkSettings(missingFile),
            consoleError("the input " + folder.file("none.png") + " (no readable file)"));

  const std::pair<std::string Settings::*, const char*> options[] = {
      {&Settings::method, "-d (the disparity method)"},
      {&Settings::threads, "-t (the number of worker threads)"},
      {&Settings::resultPath, "-r (the output prefix)"}};
  for (const auto& [member, missing] : options) {
    Settings settings = stereoSource();
    settings.*member = "";
    EXPECT_EQ(checkSettings(settings), consoleError(missing));
  }
}

TEST_F(CheckSettings, ThreadCountBelowOneIsRejectedWithItsValue) {
  for (const std::string threads : {"0", "abc", "-2"}) {
    Settings settings = stereoSource();
    settings.threads = threads;
    EXPECT_EQ(checkSettings(settings), "Wrong threads amount \"" + threads +
                                           "\": a whole number of at least 1 is needed\n"
                                           "HELP: Stereolint -h\n\n");
  }
  Settings leadingDigits = stereoSource();
  leadingDigits.threads = "3x";
  EXPECT_EQ(checkSettings(leadingDigits), std::nullopt) << "read as atoi reads it: 3";
}

TEST_F(CheckSettings, UnknownOrientationIsRejectedWithItsValue) {
  Settings settings = stereoSource();
  settings.orientation = "vertically";
  EXPECT_EQ(checkSettings(settings),
            "Wrong frame orientation \"vertically\": VERTICALLY or HORIZONTALLY is needed\n"
            "HELP: Stereolint -h\n\n");
  settings.orientation = "HORIZONTALLY";
  EXPECT_EQ(checkSettings(settings), std::nullopt);
}

}  // namespace
}  // namespace stereolint
