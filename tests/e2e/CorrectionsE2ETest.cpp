// Corrections through the real binaries, closed loop: a side-by-side take
// made from real footage with two misaligned shots, a clean one, one in
// front of the screen cut by its edges and one whose right eye is brighter
// and warmer is judged with --corrections, the
// written correct.sh renders the corrected take with ffmpeg, and judging
// that take again passes every shot while the clean shot's frames come out
// unchanged; stereolint-correct renders the same. And --corrections is
// refused without --qc.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <sstream>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kData = "/usr/share/doc/opencv-doc/examples/data/";
const cv::Size kView(640, 360);
constexpr int kFramesPerShot = 8;

// A known misalignment of the right view: moved down `rows`, turned
// `degrees` anticlockwise on screen and enlarged `scale` times, about the
// view's centre. And what no warp mends: moved right `columns` (the scene
// behind the screen), its code values multiplied by `gain` (blue, green,
// red): more light and a colour cast.
struct Misalign {
  double rows = 0;
  double degrees = 0;
  double scale = 1;
  double columns = 0;
  cv::Scalar gain{1, 1, 1};
};

// `kFramesPerShot` frames of `video` from `first` on, each scaled a little
// larger than the view so that the warped right view never shows an edge:
// the left view cut from its middle, the right view the same scene
// misaligned by `m`.
std::vector<cv::Mat> shotFrames(const std::string& video, int first, const Misalign& m) {
  cv::VideoCapture capture(kData + video);
  cv::Mat frame;
  for (int skip = 0; skip < first && capture.read(frame); ++skip) {
  }
  std::vector<cv::Mat> frames;
  const cv::Size big(kView.width * 21 / 20, kView.height * 21 / 20);
  const cv::Point2d corner((big.width - kView.width) / 2.0, (big.height - kView.height) / 2.0);
  while (static_cast<int>(frames.size()) < kFramesPerShot && capture.read(frame)) {
    cv::Mat scaled;
    cv::resize(frame, scaled, big, 0, 0, cv::INTER_AREA);
    const cv::Mat left = scaled(cv::Rect(corner, kView)).clone();
    const cv::Point2f centre(static_cast<float>(kView.width / 2.0 + corner.x),
                             static_cast<float>(kView.height / 2.0 + corner.y));
    cv::Mat move = cv::getRotationMatrix2D(centre, m.degrees, m.scale);
    move.at<double>(0, 2) += m.columns - corner.x;
    move.at<double>(1, 2) += m.rows - corner.y;
    cv::Mat right;
    cv::warpAffine(scaled, right, move, kView, cv::INTER_CUBIC, cv::BORDER_REFLECT);
    cv::multiply(right, m.gain, right);
    cv::Mat both;
    cv::hconcat(left, right, both);
    frames.push_back(both);
  }
  return frames;
}

class Corrections : public ::testing::Test {
 protected:
  ProcessResult judge(const std::string& take, const std::vector<std::string>& more) {
    std::vector<std::string> arguments = {"-m",         "CONSOLE", "-i",         take,  "-o",
                                          "VERTICALLY", "-d",      "Alignment",  "-t",  "2",
                                          "--qc",       "--quiet", "--pictures", "none"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  std::vector<cv::Mat> framesOf(const std::string& video) {
    std::vector<cv::Mat> frames;
    cv::VideoCapture capture(folder.file(video));
    for (cv::Mat frame; capture.read(frame);) frames.push_back(frame.clone());
    return frames;
  }
  test::TempFolder folder;
};

std::vector<std::string> shotLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream stream(out);
  for (std::string line; std::getline(stream, line);)
    if (line.rfind("Shot ", 0) == 0) lines.push_back(line.substr(0, line.find(':')));
  return lines;
}

TEST_F(Corrections, TheWrittenScriptRendersATakeWhoseShotsPass) {
  if (!fs::exists(kData + "Megamind.avi") || !fs::exists(kData + "vtest.avi"))
    GTEST_SKIP() << "opencv-doc is not installed";
  // Every shot lies a column behind the screen unless said otherwise:
  // views that show the same picture are a 2D shot, not judged, and the
  // depth moves across each cut by less than 1 % of the width.
  std::vector<cv::Mat> take = shotFrames("Megamind.avi", 10, {0, 0, 1, 1});
  // The scene 5 columns in front of the screen, inside the depth budget:
  // both edges cut it, which a floating window mends and no warp does.
  for (const cv::Mat& frame : shotFrames("Megamind.avi", 200, {0, 0, 1, -5})) take.push_back(frame);
  for (const cv::Mat& frame : shotFrames("vtest.avi", 20, {6, 0.4, 1, 1})) take.push_back(frame);
  for (const cv::Mat& frame : shotFrames("Megamind.avi", 110, {-2, 0, 1.008, 1}))
    take.push_back(frame);
  // About 12 % more light in the right eye, warmer, and a parallax that
  // keeps the eyes from reading as one picture once graded.
  for (const cv::Mat& frame : shotFrames("vtest.avi", 300, {0, 0, 1, 4, {1.02, 1.05, 1.08}}))
    take.push_back(frame);
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), take, "FFV1", 24));

  // A folder name with what shells and ffmpeg's filter graphs treat apart.
  const std::string first = "before: it's [1], graded;/";
  const ProcessResult before = judge("take.avi", {"-r", first, "--corrections"});
  ASSERT_EQ(before.exitCode, 0) << before.err;
  // Shot 4's larger right view also reaches past the screen's edge: FIX or
  // REJECT, it is corrected. Shot 5's eyes differ in light and colour alone.
  const std::vector<std::string> verdicts = shotLines(before.out);
  ASSERT_EQ(verdicts.size(), 5u) << before.out;
  EXPECT_EQ(verdicts[0], "Shot 1 PASS") << before.out;
  EXPECT_EQ(verdicts[1], "Shot 2 FIX") << before.out;
  EXPECT_EQ(verdicts[2], "Shot 3 REJECT") << before.out;
  EXPECT_NE(verdicts[3], "Shot 4 PASS") << before.out;
  EXPECT_EQ(verdicts[4], "Shot 5 FIX") << before.out;
  std::ifstream file(folder.file(first + "corrections.json"));
  const nlohmann::json corrections = nlohmann::json::parse(file);
  EXPECT_EQ(corrections["schema"], "stereolint-corrections");
  ASSERT_EQ(corrections["shots"].size(), 5u);
  EXPECT_EQ(corrections["shots"][0]["correction"], "none: the shot passes");
  // Shot 2 is masked alone, by the 5 columns and the rounding up.
  EXPECT_FALSE(corrections["shots"][1]["corrected"].get<bool>());
  EXPECT_EQ(corrections["shots"][1]["floating_window"], 6);
  EXPECT_EQ(corrections["shots"][1]["correction"], "floating window 6 px");
  const std::string turned = corrections["shots"][2]["correction"];
  EXPECT_EQ(turned.rfind("right eye: up 6.", 0), 0u) << turned;
  EXPECT_NE(turned.find("turned 0.4"), std::string::npos) << turned;
  EXPECT_NE(turned.find(" clockwise"), std::string::npos) << turned;
  EXPECT_NE(corrections["shots"][3]["correction"].get<std::string>().find("smaller"),
            std::string::npos);
  std::ifstream report(folder.file(first + "report.json"));
  const nlohmann::json judged = nlohmann::json::parse(report);
  EXPECT_EQ(judged["shots"][2]["corrections"]["text"], turned);
  // Shot 5 alone is graded: no warp, its grade in its own files.
  EXPECT_FALSE(corrections["shots"][4]["corrected"].get<bool>());
  EXPECT_GT(judged["shots"][4]["measures"]["LUMINANCE"]["median"].get<double>(), 0.1);
  for (int shot = 1; shot <= 5; ++shot) {
    const std::string name = first + "shot" + std::to_string(shot);
    EXPECT_EQ(fs::exists(folder.file(name + ".cdl")), shot == 5) << name;
    EXPECT_EQ(fs::exists(folder.file(name + ".cube")), shot == 5) << name;
    EXPECT_EQ(corrections["shots"][shot - 1].contains("grade"), shot == 5) << name;
  }

  const ProcessResult render =
      test::runProcess("/bin/sh", {first + "correct.sh", "corrected.mkv"}, {folder.path(), {}, {}});
  ASSERT_EQ(render.exitCode, 0) << render.err;
  // Named .mp4, the same render is an H.264 video, which that container holds.
  const ProcessResult mp4 =
      test::runProcess("/bin/sh", {first + "correct.sh", "corrected.mp4"}, {folder.path(), {}, {}});
  ASSERT_EQ(mp4.exitCode, 0) << mp4.err;
  const ProcessResult probed = test::runProcess(
      "/usr/bin/ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                           "stream=codec_name,nb_read_frames", "-of", "csv=p=0", "corrected.mp4"},
      {folder.path(), {}, {}});
  EXPECT_EQ(probed.out, "h264,40\n");
  const ProcessResult after = judge("corrected.mkv", {"-r", "after/"});
  ASSERT_EQ(after.exitCode, 0) << after.err;
  EXPECT_EQ(shotLines(after.out),
            (std::vector<std::string>{"Shot 1 PASS", "Shot 2 PASS", "Shot 3 PASS", "Shot 4 PASS",
                                      "Shot 5 PASS"}))
      << after.out;
  std::ifstream afterReport(folder.file("after/report.json"));
  const nlohmann::json rejudged = nlohmann::json::parse(afterReport);
  for (const nlohmann::json& shot : rejudged["shots"]) {
    EXPECT_NEAR(shot["measures"]["VERTICAL"]["median"].get<double>(), 0, 0.05) << shot;
    EXPECT_NEAR(shot["measures"]["ROTATION"]["median"].get<double>(), 0, 0.01) << shot;
    EXPECT_NEAR(shot["measures"]["SCALE"]["median"].get<double>(), 1, 0.0005) << shot;
  }
  // The floating window brings shot 2's window in front of what the edges cut.
  EXPECT_EQ(rejudged["shots"][1]["measures"]["WINDOW"]["median"].get<double>(), 0);
  // Shot 5's eyes match again: within the pass limits of LUMINANCE (a
  // tenth of a stop) and COLOUR.
  const nlohmann::json& matched = rejudged["shots"][4]["measures"];
  EXPECT_LE(std::abs(matched["LUMINANCE"]["median"].get<double>()), 0.1) << matched;
  EXPECT_LE(matched["COLOUR"]["median"].get<double>(), 2) << matched;

  const std::vector<cv::Mat> original = framesOf("take.avi");
  const std::vector<cv::Mat> corrected = framesOf("corrected.mkv");
  ASSERT_EQ(corrected.size(), original.size());
  for (int i = 0; i < kFramesPerShot; ++i)
    EXPECT_EQ(cv::norm(original[i], corrected[i], cv::NORM_INF), 0) << "frame " << i + 1;

  // stereolint-correct renders the same take with FFmpeg's libraries and
  // the image library's warp.
  const ProcessResult library =
      test::runProcess(STEREOLINT_CORRECT_BINARY,
                       {"take.avi", "-o", "VERTICALLY", "--corrections", first + "corrections.json",
                        "-r", "library.mkv", "-t", "2"},
                       {folder.path(), {}, {}});
  ASSERT_EQ(library.exitCode, 0) << library.err;
  EXPECT_EQ(library.out.rfind("Wrote 40 frames to library.mkv in ", 0), 0u) << library.out;
  const std::vector<cv::Mat> rendered = framesOf("library.mkv");
  ASSERT_EQ(rendered.size(), original.size());
  for (size_t i = 0; i < rendered.size(); ++i) {
    const double difference = cv::norm(rendered[i], corrected[i], cv::NORM_L1) /
                              static_cast<double>(rendered[i].total() * rendered[i].channels());
    EXPECT_LT(difference, i < kFramesPerShot ? 1e-9 : 0.5) << "frame " << i + 1;
    if (i >= kFramesPerShot) {
      EXPECT_GE(cv::PSNR(rendered[i], corrected[i]), 40) << "frame " << i + 1;
    }
  }
}

// The frames of `video` as FFmpeg's frame hashes of their planes, one line
// each.
std::vector<std::string> frameHashes(const std::string& video, const std::string& folder) {
  const ProcessResult hashed =
      test::runProcess(FFMPEG_PROGRAM, {"-v", "error", "-i", video, "-f", "framemd5", "-"},
                       {folder, {}, {}});
  std::vector<std::string> hashes;
  std::istringstream lines(hashed.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != '#') hashes.push_back(line.substr(line.rfind(',') + 1));
  return hashes;
}

TEST_F(Corrections, AVideoOfYcbcrPlanesIsCorrectedInItsOwnSampling) {
  if (!fs::exists(kData + "Megamind.avi") || !fs::exists(kData + "vtest.avi"))
    GTEST_SKIP() << "opencv-doc is not installed";
  std::vector<cv::Mat> take = shotFrames("Megamind.avi", 10, {0, 0, 1, 3});
  for (const cv::Mat& frame : shotFrames("vtest.avi", 20, {4, 0.3, 1.006, 3}))
    take.push_back(frame);
  ASSERT_TRUE(test::writeVideo(folder.file("rgb.avi"), take, "FFV1", 24));
  // As cameras and deliveries store video: Y'CbCr 4:2:0.
  const ProcessResult made =
      test::runProcess(FFMPEG_PROGRAM,
                       {"-v", "error", "-i", "rgb.avi", "-pix_fmt", "yuv420p", "-c:v", "ffv1",
                        "take.mkv"},
                       {folder.path(), {}, {}});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const ProcessResult before = judge("take.mkv", {"-r", "before/", "--corrections"});
  ASSERT_EQ(before.exitCode, 0) << before.err;
  ASSERT_EQ(shotLines(before.out), (std::vector<std::string>{"Shot 1 PASS", "Shot 2 REJECT"}))
      << before.out;

  const ProcessResult library = test::runProcess(
      STEREOLINT_CORRECT_BINARY,
      {"take.mkv", "-o", "VERTICALLY", "--corrections", "before/corrections.json", "-r",
       "library.mkv", "-t", "2"},
      {folder.path(), {}, {}});
  ASSERT_EQ(library.exitCode, 0) << library.err;
  const ProcessResult probed = test::runProcess(
      "/usr/bin/ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,pix_fmt", "-of",
                           "csv=p=0", "library.mkv"},
      {folder.path(), {}, {}});
  EXPECT_EQ(probed.out, "ffv1,yuv420p\n");
  // The passing shot's samples come out as they went in; the other's do not.
  const std::vector<std::string> in = frameHashes("take.mkv", folder.path());
  const std::vector<std::string> out = frameHashes("library.mkv", folder.path());
  ASSERT_EQ(in.size(), take.size());
  ASSERT_EQ(out.size(), take.size());
  for (size_t i = 0; i < in.size(); ++i)
    EXPECT_EQ(in[i] == out[i], i < kFramesPerShot) << "frame " << i + 1;

  const ProcessResult after = judge("library.mkv", {"-r", "after/"});
  ASSERT_EQ(after.exitCode, 0) << after.err;
  EXPECT_EQ(shotLines(after.out), (std::vector<std::string>{"Shot 1 PASS", "Shot 2 PASS"}))
      << after.out;
  // ffmpeg's own render of the script, which keeps the sampling too.
  const ProcessResult script = test::runProcess("/bin/sh", {"before/correct.sh", "script.mkv"},
                                                {folder.path(), {}, {}});
  ASSERT_EQ(script.exitCode, 0) << script.err;
  const std::vector<cv::Mat> rendered = framesOf("library.mkv");
  const std::vector<cv::Mat> scripted = framesOf("script.mkv");
  ASSERT_EQ(rendered.size(), scripted.size());
  for (size_t i = kFramesPerShot; i < rendered.size(); ++i)
    EXPECT_GE(cv::PSNR(rendered[i], scripted[i]), 40) << "frame " << i + 1;
}

TEST_F(Corrections, AreRefusedWithoutQualityControl) {
  const ProcessResult result =
      test::runProcess(STEREOLINT_BINARY,
                       {"-m", "CONSOLE", "-i", kData + "aloeL.jpg", kData + "aloeR.jpg", "-d",
                        "Alignment", "-t", "1", "-r", "out/", "--corrections"},
                       {folder.path(), {}, {}});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("--corrections works with --qc only"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(folder.file("out")));
}

}  // namespace
}  // namespace stereolint
