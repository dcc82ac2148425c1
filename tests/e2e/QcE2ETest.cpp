// Quality control through the real binary: a side-by-side video of four shots
// whose misalignment crosses the limits mid-take, checked as a user reads it:
// the shot and take lines, report.json, the exit code, the pictures written,
// and the merge of runs over parts of the take.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "QcTestData.h"
#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:GridFAST,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "HIERARCHY:VERTICAL";
const cv::Size kView(320, 240);
constexpr int kFramesPerShot = 4;
constexpr int kFrames = 4 * kFramesPerShot;

// A stereo pair of a panning scene whose right view shows it `rows` rows
// higher than the left view.
test::StereoPair scenePair(int scene, int step, int rows) {
  const cv::Mat tall = test::scenePicture(scene, step, cv::Size(kView.width, kView.height + rows));
  return {tall(cv::Rect(0, 0, kView.width, kView.height)).clone(),
          tall(cv::Rect(0, rows, kView.width, kView.height)).clone()};
}

// Shot 1 aligned (PASS), shot 2 two rows off on 240-row views (0.83 %: FIX
// against 0.3 %/1 %), shot 3 black, shot 4 an even grey (both INCONCLUSIVE).
std::vector<cv::Mat> fourShots() {
  std::vector<test::StereoPair> pairs;
  for (int step = 0; step < kFramesPerShot; ++step) pairs.push_back(scenePair(0, step, 0));
  for (int step = 0; step < kFramesPerShot; ++step) pairs.push_back(scenePair(1, step, 2));
  for (int level : {0, 128}) {
    for (int step = 0; step < kFramesPerShot; ++step) {
      const cv::Mat flat = test::flatPicture(level, kView);
      pairs.push_back({flat, flat});
    }
  }
  return test::sideBySideFrames(pairs);
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start) {
  std::vector<std::string> found;
  for (const std::string& line : linesOf(text)) {
    if (line.rfind(start, 0) == 0) found.push_back(line);
  }
  return found;
}

class QcTake : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), fourShots(), "MJPG"));
  }
  ProcessResult run(const std::string& resultPath, std::vector<std::string> more) {
    std::vector<std::string> arguments{"-m", "CONSOLE", "-d", "Stereolint", "-i", "take.avi",
                                       "-o", "VERTICALLY", "-t", "2", "-p", kParameters,
                                       "-r", resultPath};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  nlohmann::json report(const std::string& prefix) const {
    std::ifstream file(folder.file(prefix + "report.json"));
    return nlohmann::json::parse(file);
  }
  // The frame numbers of the files named "ID_SIZE_" + `suffix` in `sub`.
  std::set<int> framesWith(const std::string& sub, const std::string& suffix,
                           int size = kFrames) const {
    std::set<int> frames;
    const std::string tail = "_" + std::to_string(size) + "_" + suffix;
    for (const std::string& name : folder.namesIn(sub)) {
      const size_t at = name.find(tail);
      if (at != std::string::npos && at + tail.size() == name.size()) {
        frames.insert(std::stoi(name.substr(0, at)));
      }
    }
    return frames;
  }
  size_t picturesIn(const std::string& sub) const {
    size_t count = 0;
    for (const std::string& name : folder.namesIn(sub)) {
      count += name.size() > 4 && name.substr(name.size() - 4) == ".png";
    }
    return count;
  }
  test::TempFolder folder;
};

TEST_F(QcTake, JudgesEveryShotOnTheConsoleAndInTheReport) {
  const ProcessResult result = run("out/", {"--qc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;

  const auto shots = linesStartingWith(result.out, "Shot ");
  ASSERT_EQ(shots.size(), 4u) << result.out;
  // The video runs at 25 frames per second from 00:00:00:00.
  EXPECT_EQ(shots[0].rfind("Shot 1 PASS: frames 1-4 (00:00:00:00-00:00:00:03), worst VERTICAL ",
                           0),
            0u)
      << shots[0];
  EXPECT_EQ(shots[1].rfind("Shot 2 FIX: frames 5-8 (00:00:00:04-00:00:00:07), worst VERTICAL 2",
                           0),
            0u)
      << shots[1];
  EXPECT_EQ(shots[2].rfind("Shot 3 INCONCLUSIVE: frames 9-12 ", 0), 0u) << shots[2];
  EXPECT_EQ(shots[3].rfind("Shot 4 INCONCLUSIVE: frames 13-16 ", 0), 0u) << shots[3];
  EXPECT_NE(shots[2].find("BLACK VIEW"), std::string::npos) << shots[2];
  const auto lines = linesOf(result.out);
  EXPECT_EQ(lines.back(),
            "Take FIX: 4 shots (1 PASS, 1 FIX, 2 INCONCLUSIVE), 16 frames, 8 judged (50 %)");
  // A shot's line follows the blocks of its own frames.
  EXPECT_GT(result.out.find("Shot 1 "), result.out.find("take : 4 / 16 "));
  EXPECT_GT(result.out.find("Shot 2 "), result.out.find("take : 8 / 16 "));

  const nlohmann::json json = report("out/");
  EXPECT_EQ(json["verdict"]["take"], "FIX");
  std::vector<std::string> verdicts;
  for (const auto& shot : json["shots"]) verdicts.push_back(shot["verdict"]);
  EXPECT_EQ(verdicts, (std::vector<std::string>{"PASS", "FIX", "INCONCLUSIVE", "INCONCLUSIVE"}));
  EXPECT_EQ(json["frames"].size(), 16u);
  EXPECT_EQ(json["take"]["name"], "take.avi");
  EXPECT_EQ(json["shots"][1]["verdicts"]["VERTICAL"], "FIX");
  // The report names what the FIX shot needs, beside the measure beyond its
  // pass limit.
  const std::string html = test::readTextFile(folder.file("out/report.html"));
  EXPECT_NE(html.find("FIX: beyond the pass limit 0.3 % of the height"), std::string::npos);
  EXPECT_NE(html.find("To correct: vertical offset: shift one view vertically by "),
            std::string::npos);
  EXPECT_NE(html.find("To bring it in: vertical offset: shift one view vertically by "),
            std::string::npos);
  // Every frame keeps all its files, as without quality control.
  EXPECT_EQ(framesWith("out", "SUMMARY.png").size(), 16u);

  // --quiet prints the shot and take lines alone, the same lines.
  const ProcessResult quiet = run("quiet/", {"--qc", "--quiet"});
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
  std::vector<std::string> judged = shots;
  judged.push_back(lines.back());
  EXPECT_EQ(linesOf(quiet.out), judged);
}

TEST_F(QcTake, FailsWithExitCodeThreeAtTheChosenLevelOrFourWhenTooLittleIsJudged) {
  EXPECT_EQ(run("fix/", {"--qc", "--fail-on", "fix"}).exitCode, 3);
  EXPECT_EQ(run("reject/", {"--qc", "--fail-on", "reject"}).exitCode, 0) << "half the frames judged";
  // Half the frames are black or flat: a take that asks for more cannot pass.
  EXPECT_EQ(run("judged/", {"--qc", "--fail-on", "reject", "--min-judged", "60%"}).exitCode, 4);
  const ProcessResult overUnder = run(
      "read/", {"--qc", "--fail-on", "reject", "--min-judged", "60%", "-o", "HORIZONTALLY"});
  EXPECT_EQ(overUnder.exitCode, 4) << "side-by-side views read over-under judge nothing";
  EXPECT_NE(overUnder.err.find("The frames look side by side, not over-under: their left and "
                               "right halves are alike (correlation "),
            std::string::npos)
      << overUnder.err;
  // Tighter limits make shot 2 a REJECT, and a start timecode shifts the lines.
  const ProcessResult strict = run("strict/", {"--qc", "--fail-on", "reject", "--limits",
                                               "VERTICAL:0.2%/0.5%", "--start-timecode",
                                               "10:00:00:00"});
  EXPECT_EQ(strict.exitCode, 3) << strict.err;
  EXPECT_NE(strict.out.find("Shot 2 REJECT: frames 5-8 (10:00:00:04-10:00:00:07)"),
            std::string::npos)
      << strict.out;
}

TEST_F(QcTake, WritesThePicturesThatAreAskedFor) {
  const ProcessResult none = run("none/", {"--qc", "--pictures", "none"});
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(picturesIn("none"), 0u);
  EXPECT_EQ(framesWith("none", "RESULT.txt").size(), 16u);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("none/report.json")));

  // Tighter limits make shot 2 a REJECT: flagged writes its frames and the
  // worst frame of shot 1; worst writes the worst frame of each judged shot.
  const std::vector<std::string> strict = {"--qc", "--limits", "VERTICAL:0.2%/0.5%", "--pictures"};
  auto with = [&strict](const char* mode) {
    std::vector<std::string> arguments = strict;
    arguments.push_back(mode);
    return arguments;
  };
  const ProcessResult flagged = run("flagged/", with("Flagged"));
  ASSERT_EQ(flagged.exitCode, 0) << flagged.err;
  EXPECT_EQ(framesWith("flagged", "RESULT.txt").size(), 16u);
  const nlohmann::json json = report("flagged/");
  const int worst1 = json["shots"][0]["worst_frame"];
  const int worst2 = json["shots"][1]["worst_frame"];
  const std::set<int> expected{worst1, 5, 6, 7, 8};
  EXPECT_EQ(framesWith("flagged", "SUMMARY.png"), expected);
  EXPECT_EQ(framesWith("flagged", "LEFT.png"), expected);
  EXPECT_EQ(framesWith("flagged", "VERTICAL_ANAGLYPH_BEFORE.png"), expected);

  const ProcessResult worst = run("worst/", with("worst"));
  ASSERT_EQ(worst.exitCode, 0) << worst.err;
  EXPECT_EQ(framesWith("worst", "SUMMARY.png"), (std::set<int>{worst1, worst2}));
}

TEST_F(QcTake, RefusesUnusableOptionsBeforeOpeningAnything) {
  const ProcessResult limits = run("out/", {"--qc", "--limits", "VERTICAL:1%"});
  EXPECT_EQ(limits.exitCode, 255);
  EXPECT_EQ(limits.err.rfind("--limits: ", 0), 0u) << limits.err;
  EXPECT_NE(limits.err.find("\nHELP: Stereolint -h\n\n"), std::string::npos) << limits.err;
  EXPECT_EQ(limits.out, "");

  EXPECT_EQ(run("out/", {"--qc", "--min-judged", "50"}).err,
            "--min-judged works with --fail-on only\nHELP: Stereolint -h\n\n");
  const ProcessResult alone = run("out/", {"--fps", "25"});
  EXPECT_EQ(alone.exitCode, 255);
  EXPECT_EQ(alone.err, "--fps works with --qc only\nHELP: Stereolint -h\n\n");
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

TEST_F(QcTake, AReportThatCannotBeWrittenIsAWarningThatFailsTheRun) {
  std::filesystem::create_directories(folder.file("out/report.json"));
  const ProcessResult result = run("out/", {"--qc", "--fail-on", "fix"});
  EXPECT_EQ(result.exitCode, 255) << "a failure wins over the shots' exit code 3";
  EXPECT_NE(result.err.find("Warning:"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("report.json"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("Take FIX: "), std::string::npos);
  EXPECT_EQ(framesWith("out", "SUMMARY.png").size(), 16u) << "the frames' files are written";
}

TEST_F(QcTake, FramesThatFailAreInconclusiveAndTheShotsAreStillFound) {
  // The AKAZE extractor describes only keypoints of its own detector: every
  // frame fails in the image library.
  const ProcessResult result =
      run("out/", {"-p", "WIDTH:10,HEIGHT:10,DETECTOR:FAST,EXTRACTOR:AKAZE,"
                         "MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL",
                   "--qc", "--fail-on", "fix"});
  EXPECT_EQ(result.exitCode, 255) << "failed frames fail the run";
  EXPECT_EQ(linesStartingWith(result.out, "Shot ").size(), 4u) << result.out;
  EXPECT_NE(result.out.find("Take INCONCLUSIVE: 4 shots (4 INCONCLUSIVE), 16 frames"),
            std::string::npos)
      << result.out;
  const nlohmann::json json = report("out/");
  ASSERT_EQ(json["frames"].size(), 16u);
  EXPECT_EQ(json["frames"][0]["verdict"], "INCONCLUSIVE");
  // The report says why in the words of the frame's error block.
  const std::string reason = json["frames"][0]["reason"];
  EXPECT_FALSE(reason.empty());
  EXPECT_NE(result.err.find("take : 1 / 16 (320 x 240): " + reason + "\n"), std::string::npos)
      << reason << "\n" << result.err;
}

TEST_F(QcTake, StillsTakeTheirTimecodeFromTheFrameRateGiven) {
  const test::StereoPair pair = scenePair(0, 0, 0);
  cv::imwrite(folder.file("left.png"), pair.left);
  cv::imwrite(folder.file("right.png"), pair.right);
  const auto runStills = [this](std::vector<std::string> more) {
    std::vector<std::string> arguments{"-m", "CONSOLE", "-d", "Stereolint", "-i", "left.png",
                                       "right.png", "-t", "1", "-p", kParameters, "-r", "out/",
                                       "--qc"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  };
  const ProcessResult timed = runStills({"--fps", "24", "--start-timecode", "01:00:00:00"});
  ASSERT_EQ(timed.exitCode, 0) << timed.err;
  EXPECT_NE(timed.out.find("\nShot 1 PASS: frame 1 (01:00:00:00), worst VERTICAL "),
            std::string::npos)
      << timed.out;
  EXPECT_EQ(report("out/")["take"]["frame_rate"], 24.0);
  EXPECT_EQ(linesOf(timed.out).back(), "Take PASS: 1 shot (1 PASS), 1 frame");

  const ProcessResult untimed = runStills({});
  EXPECT_NE(untimed.out.find("\nShot 1 PASS: frame 1, worst VERTICAL "), std::string::npos)
      << untimed.out;
  EXPECT_TRUE(report("out/")["take"]["frame_rate"].is_null());
}

TEST_F(QcTake, AStartTimecodeBeyondTheVideosRateIsAnError) {
  const ProcessResult result = run("out/", {"--qc", "--start-timecode", "00:00:00:27"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Error: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("--start-timecode: "), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(QcTake, AnImageSequenceIsJudgedUnderItsFilesNumbers) {
  // Two shots of four frames, files numbered from 1001: aligned, then two
  // rows off.
  const std::vector<cv::Mat> pictures = fourShots();
  std::filesystem::create_directories(folder.file("seq"));
  for (int k = 0; k < 2 * kFramesPerShot; ++k) {
    cv::imwrite(folder.file("seq/take." + std::to_string(1001 + k) + ".png"),
                pictures[static_cast<size_t>(k)]);
  }
  const ProcessResult result = test::runProcess(
      STEREOLINT_BINARY,
      {"-m", "CONSOLE", "-d", "Stereolint", "-i", "seq/take.%d.png", "-o", "VERTICALLY", "-t",
       "2", "-p", kParameters, "-r", "out/", "--qc", "--pictures", "flagged", "-s", "2-8",
       "--fps", "24", "--start-timecode", "01:00:00:00"},
      {folder.path(), {}, {}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto shots = linesStartingWith(result.out, "Shot ");
  ASSERT_EQ(shots.size(), 2u) << result.out;
  // The first file, 1001, is at the start timecode.
  EXPECT_EQ(shots[0].rfind("Shot 1 PASS: frames 1002-1004 (01:00:00:01-01:00:00:03), worst "
                           "VERTICAL ",
                           0),
            0u)
      << shots[0];
  EXPECT_EQ(shots[1].rfind("Shot 2 FIX: frames 1005-1008 (01:00:00:04-01:00:00:07), worst "
                           "VERTICAL 2",
                           0),
            0u)
      << shots[1];
  const nlohmann::json json = report("out/");
  EXPECT_EQ(json["take"]["first_frame"], 1001);
  EXPECT_EQ(json["take"]["start_timecode"], "01:00:00:00");
  EXPECT_EQ(json["frames"].size(), 7u);
  EXPECT_EQ(json["frames"][0]["frame"], 1002);
  // Under flagged, the worst frame of each shot (neither is REJECT).
  const int worst1 = json["shots"][0]["worst_frame"];
  const int worst2 = json["shots"][1]["worst_frame"];
  EXPECT_EQ(framesWith("out", "SUMMARY.png", 8), (std::set<int>{worst1, worst2}));
}

TEST_F(QcTake, ReportsOfPartsOfTheTakeMergeIntoTheReportOfTheWholeTake) {
  ASSERT_EQ(run("whole/", {"--qc"}).exitCode, 0);
  ASSERT_EQ(run("first/", {"--qc", "-s", "1-6"}).exitCode, 0);
  ASSERT_EQ(run("second/", {"-t", "1", "--qc", "-s", "7-16"}).exitCode, 0);
  const ProcessResult merge = test::runProcess(
      STEREOLINT_REPORT_BINARY, {"merged/", "first/", "second/"}, {folder.path(), {}, {}});
  ASSERT_EQ(merge.exitCode, 0) << merge.err;
  EXPECT_EQ(report("merged/"), report("whole/"));
  EXPECT_EQ(report("first/")["frames"].size(), 6u);
  // Sampled parts cover the take when they read every place between them:
  // the first part's last sampled frame is 4, yet it read up to 7.
  ASSERT_EQ(run("whole-every/", {"--qc", "--every", "3"}).exitCode, 0);
  ASSERT_EQ(run("first-every/", {"--qc", "--every", "3", "-s", "1-7"}).exitCode, 0);
  ASSERT_EQ(run("second-every/", {"--qc", "--every", "3", "-s", "8-16"}).exitCode, 0);
  const ProcessResult sampled = test::runProcess(
      STEREOLINT_REPORT_BINARY, {"merged-every/", "second-every/", "first-every/"},
      {folder.path(), {}, {}});
  ASSERT_EQ(sampled.exitCode, 0) << sampled.err;
  EXPECT_EQ(report("merged-every/"), report("whole-every/"));
}

TEST_F(QcTake, TheMergeRefusesPartsThatDoNotMakeOneWholeTake) {
  ASSERT_EQ(run("first/", {"--qc", "-s", "1-6"}).exitCode, 0);
  ASSERT_EQ(run("late/", {"--qc", "-s", "9-16"}).exitCode, 0);
  // Another take whose file has the same name, in another folder.
  std::filesystem::create_directories(folder.file("shotB"));
  std::filesystem::copy_file(folder.file("take.avi"), folder.file("shotB/take.avi"));
  ASSERT_EQ(run("other/", {"--qc", "-s", "7-16", "-i", "shotB/take.avi"}).exitCode, 0);
  const auto merge = [&](const std::vector<std::string>& parts) {
    std::vector<std::string> arguments{"merged/"};
    arguments.insert(arguments.end(), parts.begin(), parts.end());
    return test::runProcess(STEREOLINT_REPORT_BINARY, arguments, {folder.path(), {}, {}});
  };
  ProcessResult result = merge({"first/", "late/"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Cannot merge the parts of \"take.avi\": no part read frames 7 to 8 "),
            std::string::npos)
      << result.err;
  result = merge({"first/", "other/"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("differ in the input paths (\"take.avi\" and \"shotB/take.avi\")"),
            std::string::npos)
      << result.err;

  // Values edited by hand that no run writes are refused, naming the file
  // and the key.
  const auto edited = [&](const std::string& pointer, const nlohmann::json& value) {
    nlohmann::ordered_json json;
    std::ifstream(folder.file("late/report.json")) >> json;
    json[nlohmann::ordered_json::json_pointer(pointer)] = value;
    std::filesystem::create_directories(folder.file("edited"));
    std::ofstream(folder.file("edited/report.json")) << json.dump(2);
    return merge({"first/", "edited/"}).err;
  };
  EXPECT_NE(edited("/frames/0/frame", 4294967297).find(
                "edited/report.json cannot be read as a report: frames[0].frame is 4294967297, "
                "not a whole number from 0 to 2147483647"),
            std::string::npos);
  EXPECT_NE(edited("/eye_sync", {{"status", "measured"},
                                 {"offset", -2147483648LL},
                                 {"behind", "right"},
                                 {"confidence", 5},
                                 {"reason", ""},
                                 {"frames_compared", 8},
                                 {"left_frames", nullptr},
                                 {"right_frames", nullptr}})
                .find("eye_sync.offset is -2147483648, not a whole number from 0 to 5"),
            std::string::npos);
  EXPECT_NE(edited("/frames/1/points", -3).find("frames[1].points is -3, not a whole number"),
            std::string::npos);
  EXPECT_NE(edited("/take/frame_count", -1).find("take.frame_count is -1, not a whole number"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder.file("merged/report.json"))) << "nothing written";
}

// A real stereo photograph whose right view is moved down six rows: its one
// frame is the worst of its shot and gets the report's two pictures, at
// most 960 pixels wide, which the page shows with the frame's numbers as
// text; --pictures none writes neither and leaves the page without them.
TEST(QcWorstPictures, TheWorstFrameOfEachShotGetsItsPicturesInTheReport) {
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  if (!std::filesystem::exists(data + "aloeR.jpg")) GTEST_SKIP() << "opencv-doc is not installed";
  test::TempFolder folder;
  const cv::Mat left = cv::imread(data + "aloeL.jpg", cv::IMREAD_COLOR);
  const cv::Mat shot = cv::imread(data + "aloeR.jpg", cv::IMREAD_COLOR);
  ASSERT_GT(left.cols, 960);
  cv::Mat right;
  const cv::Mat down = (cv::Mat_<double>(2, 3) << 1, 0, 0, 0, 1, 6);
  cv::warpAffine(shot, right, down, shot.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  ASSERT_TRUE(cv::imwrite(folder.file("left.png"), left));
  ASSERT_TRUE(cv::imwrite(folder.file("right.png"), right));
  const auto run = [&folder](const std::string& prefix, std::vector<std::string> more) {
    std::vector<std::string> arguments{"-m", "CONSOLE", "-d", "Alignment", "-t", "2", "-r",
                                       prefix, "-i", "left.png", "right.png", "--qc"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  };

  const ProcessResult result = run("out/", {});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::ifstream file(folder.file("out/report.json"));
  const nlohmann::json json = nlohmann::json::parse(file);
  ASSERT_EQ(json["shots"].size(), 1u);
  EXPECT_NE(json["shots"][0]["verdict"], "PASS");
  const int worst = json["shots"][0]["worst_frame"];
  const double vertical = json["frames"][0]["values"]["VERTICAL"];
  EXPECT_NEAR(vertical, -6, 1);
  const std::string residuals = "report/" + std::to_string(worst) + "_RESIDUALS.jpg";
  const std::string anaglyph = "report/" + std::to_string(worst) + "_ANAGLYPH.jpg";
  for (const std::string& name : {residuals, anaglyph}) {
    const cv::Mat picture = cv::imread(folder.file("out/" + name), cv::IMREAD_COLOR);
    ASSERT_FALSE(picture.empty()) << name;
    EXPECT_EQ(picture.cols, 960) << name;
    EXPECT_EQ(picture.rows, left.rows * 960 / left.cols) << name;
  }
  // The inliers, six rows off, are drawn as red dots: many more pixels of
  // their red than in the left view alone.
  const auto redPixels = [](const cv::Mat& picture) {
    cv::Mat red;
    cv::inRange(picture, cv::Scalar(27, 38, 207), cv::Scalar(47, 58, 227), red);
    return cv::countNonZero(red);
  };
  cv::Mat reduced;
  cv::resize(left, reduced, cv::Size(960, left.rows * 960 / left.cols), 0, 0, cv::INTER_AREA);
  EXPECT_GT(redPixels(cv::imread(folder.file("out/" + residuals), cv::IMREAD_COLOR)),
            redPixels(reduced) + 500);
  const std::string page = test::readTextFile(folder.file("out/report.html"));
  EXPECT_NE(page.find("<a href=\"" + residuals + "\"><img alt=\"Left view of frame"),
            std::string::npos);
  EXPECT_NE(page.find("<a href=\"" + anaglyph + "\"><img alt=\"Anaglyph of frame"),
            std::string::npos);
  char number[32];
  std::snprintf(number, sizeof number, "%.2f rows", vertical);
  const size_t entry = page.find("<figure class=\"worst-frame\"");
  ASSERT_NE(entry, std::string::npos);
  const std::string figure = page.substr(entry, page.find("</figure>", entry) - entry);
  EXPECT_NE(figure.find("<td>VERTICAL</td><td class=\"num\">" + std::string(number)),
            std::string::npos)
      << number;
  EXPECT_NE(figure.find("within 0.5 row"), std::string::npos);
  EXPECT_EQ(page.find("no picture written"), std::string::npos);

  const ProcessResult none = run("none/", {"--pictures", "none"});
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_FALSE(std::filesystem::exists(folder.file("none/report")));
  EXPECT_EQ(test::readTextFile(folder.file("none/report.html")).find("worst-frame"),
            std::string::npos);
}

// The first `count` frames of a video of opencv-doc, as left and right
// views of `kView`; none when it is not installed.
std::vector<cv::Mat> realFootage(const std::string& name, int count) {
  cv::VideoCapture video("/usr/share/doc/opencv-doc/examples/data/" + name);
  std::vector<test::StereoPair> pairs;
  cv::Mat picture;
  while (static_cast<int>(pairs.size()) < count && video.read(picture)) {
    cv::Mat view;
    cv::resize(picture, view, kView, 0, 0, cv::INTER_AREA);
    pairs.push_back({view, view.clone()});
  }
  if (static_cast<int>(pairs.size()) < count) return {};
  return test::sideBySideFrames(pairs);
}

TEST_F(QcTake, TheMergeRefusesPartsOfTwoTakesWhoseInputsHaveTheSameNameAndPath) {
  // Two jobs started in two folders, each measuring "take.avi" there: the
  // reports name the same input by the same path, only the pictures differ.
  const std::vector<cv::Mat> a = realFootage("vtest.avi", 6);
  const std::vector<cv::Mat> b = realFootage("Megamind.avi", 6);
  if (a.empty() || b.empty()) GTEST_SKIP() << "opencv-doc's videos are not installed";
  for (const auto& [shot, pictures] : {std::pair{"shotA", &a}, std::pair{"shotB", &b}}) {
    std::filesystem::create_directories(folder.file(shot));
    ASSERT_TRUE(test::writeVideo(folder.file(std::string(shot) + "/take.avi"), *pictures, "MJPG"));
  }
  const auto measure = [&](const std::string& shot, const std::string& result,
                           const std::string& frames) {
    return test::runProcess(STEREOLINT_BINARY,
                            {"-m", "CONSOLE", "-d", "Stereolint", "-i", "take.avi", "-o",
                             "VERTICALLY", "-t", "2", "-p", kParameters, "-r", "../" + result,
                             "--qc", "-s", frames},
                            {folder.file(shot), {}, {}})
        .exitCode;
  };
  ASSERT_EQ(measure("shotA", "a1/", "1-3"), 0);
  ASSERT_EQ(measure("shotA", "a2/", "4-6"), 0);
  ASSERT_EQ(measure("shotB", "b2/", "4-6"), 0);
  // A part from the take's first frame on signs nothing before it.
  EXPECT_FALSE(report("a1/")["take"].contains("join_before"));
  EXPECT_EQ(report("a2/")["take"]["join_before"]["frame"], 3);
  const auto merge = [&](const std::string& output, const std::string& second) {
    return test::runProcess(STEREOLINT_REPORT_BINARY, {output, "a1/", second},
                            {folder.path(), {}, {}});
  };
  const ProcessResult crosswise = merge("crosswise/", "b2/");
  EXPECT_EQ(crosswise.exitCode, 255);
  EXPECT_NE(crosswise.err.find("Cannot merge b2/report.json: it does not continue "
                               "a1/report.json, frame 3's picture differs between them"),
            std::string::npos)
      << crosswise.err;
  EXPECT_FALSE(std::filesystem::exists(folder.file("crosswise/report.json")));
  const ProcessResult honest = merge("merged/", "a2/");
  ASSERT_EQ(honest.exitCode, 0) << honest.err;
  EXPECT_EQ(report("merged/")["frames"].size(), 6u);
  EXPECT_FALSE(report("merged/")["take"].contains("join_before"));
}

}  // namespace
}  // namespace stereolint
