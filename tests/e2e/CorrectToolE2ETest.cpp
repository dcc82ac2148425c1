// stereolint-correct as a user runs it, on corrections written by hand with
// known warps: image sequences come out in their own format and bit depth,
// videos in the codec asked for, and what cannot be the take's corrections
// or would overwrite the input is refused before anything is written; a
// stop request leaves no half-written file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <tuple>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::ProcessResult;

const std::string kData = "/usr/share/doc/opencv-doc/examples/data/";
const cv::Size kView(320, 180);

// `count` frames of real footage, each one view's size.
std::vector<cv::Mat> footage(int count) {
  cv::VideoCapture capture(kData + "Megamind.avi");
  std::vector<cv::Mat> frames;
  for (cv::Mat frame; static_cast<int>(frames.size()) < count && capture.read(frame);) {
    cv::Mat view;
    cv::resize(frame, view, kView, 0, 0, cv::INTER_AREA);
    frames.push_back(view);
  }
  return frames;
}

// A translation of the view by (dx, dy) pixels as a warp of corrections.json.
Json moved(double dx, double dy) { return Json{{1, 0, dx}, {0, 1, dy}, {0, 0, 1}}; }

// Corrections of a take of `frames` frames: frames 1-2 pass, frames 3 on
// form a shot whose right eye moves down 3 rows and whose floating window
// is 6 pixels.
Json corrections(const std::vector<std::string>& paths, const std::string& orientation,
                 int frames) {
  const Json passing{{"first_frame", 1},
                     {"last_frame", 2},
                     {"width", kView.width},
                     {"height", kView.height},
                     {"corrected", false}};
  Json fixed{{"first_frame", 3},       {"last_frame", frames}, {"width", kView.width},
             {"height", kView.height}, {"corrected", true},    {"floating_window", 6}};
  fixed["left"]["warp"] = moved(0, 0);
  fixed["right"]["warp"] = moved(0, 3);
  return Json{{"schema", "stereolint-corrections"},
              {"schema_version", 1},
              {"take",
               {{"name", fs::path(paths[0]).stem().string()},
                {"paths", paths},
                {"orientation", orientation},
                {"squeeze", 1},
                {"frame_count", frames},
                {"first_frame", 1},
                {"width", kView.width},
                {"height", kView.height}}},
              {"shots", {passing, fixed}}};
}

// The sample type of an EXR file's first channel: 1 half, 2 float.
int exrSampleType(const std::string& path) {
  const std::string bytes = test::readTextFile(path);
  const std::string key = std::string("channels") + '\0' + "chlist" + '\0';
  const size_t at = bytes.find(key);
  if (at == std::string::npos) return -1;
  const size_t name = bytes.find('\0', at + key.size() + 4);
  std::int32_t type = -1;
  std::memcpy(&type, bytes.data() + name + 1, 4);
  return type;
}

class CorrectTool : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kData + "Megamind.avi")) GTEST_SKIP() << "opencv-doc is not installed";
  }
  ProcessResult correct(const std::vector<std::string>& arguments) {
    return test::runProcess(STEREOLINT_CORRECT_BINARY, arguments, {folder.path(), {}, {}});
  }
  ProcessResult run(const std::string& command) {
    return test::runProcess("/bin/bash", {"-c", command}, {folder.path(), {}, {}});
  }
  void writeJson(const std::string& name, const Json& json) {
    test::writeTextFile(folder.file(name), json.dump(2));
  }
  // A 16-bit picture of a 10-bit DPX file, read by the ffmpeg program.
  cv::Mat readDpx(const std::string& name) {
    const ProcessResult converted = run(std::string(FFMPEG_PROGRAM) + " -v error -y -i '" + name +
                                        "' -pix_fmt rgb48le read.png");
    EXPECT_EQ(converted.exitCode, 0) << converted.err;
    return cv::imread(folder.file("read.png"), cv::IMREAD_UNCHANGED);
  }
  test::TempFolder folder;
};

TEST_F(CorrectTool, WritesImageSequencesInTheirOwnFormatAndBitDepth) {
  // A pair of 10-bit DPX sequences, four frames, made by the ffmpeg program.
  const std::vector<cv::Mat> frames = footage(4);
  fs::create_directories(folder.file("left"));
  fs::create_directories(folder.file("right"));
  for (size_t i = 0; i < frames.size(); ++i) {
    cv::imwrite(folder.file("left/" + std::to_string(i + 1) + ".png"), frames[i]);
    cv::imwrite(folder.file("right/" + std::to_string(i + 1) + ".png"), frames[i]);
  }
  for (const std::string eye : {"left", "right"}) {
    const ProcessResult made =
        run(std::string(FFMPEG_PROGRAM) + " -v error -i " + eye +
            "/%d.png -pix_fmt gbrp10le -start_number 1 " + eye + "/" + eye + ".%04d.dpx");
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  writeJson(
      "c.json",
      corrections({"/elsewhere/left/left.%04d.dpx", "/elsewhere/right/right.%04d.dpx"}, "", 4));
  const ProcessResult result = correct({"left/left.%04d.dpx", "right/right.%04d.dpx",
                                        "--corrections", "c.json", "-r", "out", "-t", "2"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("Wrote 4 frames to out in ", 0), 0u) << result.out;
  for (int f = 1; f <= 4; ++f) {
    const std::string name = "right.000" + std::to_string(f) + ".dpx";
    const std::string header = test::readTextFile(folder.file("out/right/" + name)).substr(0, 804);
    ASSERT_EQ(header.size(), 804u) << name;
    EXPECT_EQ(static_cast<int>(static_cast<unsigned char>(header[803])), 10) << name << ": 10 bits";
    const cv::Mat input = readDpx("right/" + name);
    const cv::Mat output = readDpx("out/right/" + name);
    const cv::Mat left = readDpx("out/left/left.000" + std::to_string(f) + ".dpx");
    if (f <= 2) {
      EXPECT_EQ(cv::norm(input, output, cv::NORM_INF), 0) << name << " passes unchanged";
      continue;
    }
    // Moved down 3 rows; the last 6 columns of the right eye and the
    // first 6 of the left are black.
    const cv::Rect inside(10, 20, 290, 150);
    EXPECT_LT(cv::norm(input(inside), output(inside + cv::Point(0, 3)), cv::NORM_L1) /
                  static_cast<double>(inside.area() * 3),
              65535 * 0.002)
        << name;
    EXPECT_EQ(cv::norm(output.colRange(kView.width - 6, kView.width), cv::NORM_INF), 0) << name;
    EXPECT_GT(cv::norm(output.col(kView.width - 7), cv::NORM_INF), 0) << name;
    EXPECT_EQ(cv::norm(left.colRange(0, 6), cv::NORM_INF), 0) << name;
  }

  // A side-by-side EXR still of half floats stays half floats, linear light
  // untouched in the left eye.
  cv::Mat both;
  cv::hconcat(frames[0], frames[0], both);
  both.convertTo(both, CV_32F, 1 / 255.0);
  cv::pow(both, 2.2, both);
  ASSERT_TRUE(cv::imwrite(folder.file("still.exr"), both,
                          {cv::IMWRITE_EXR_TYPE, cv::IMWRITE_EXR_TYPE_HALF}));
  Json still = corrections({"/elsewhere/still.exr"}, "VERTICALLY", 1);
  still["shots"].erase(0);
  still["shots"][0]["first_frame"] = 1;
  writeJson("still.json", still);
  const ProcessResult exr =
      correct({"still.exr", "-o", "VERTICALLY", "--corrections", "still.json", "-r", "fixed.exr"});
  ASSERT_EQ(exr.exitCode, 0) << exr.err;
  EXPECT_EQ(exrSampleType(folder.file("fixed.exr")), 1) << "half floats";
  const cv::Mat input = cv::imread(folder.file("still.exr"), cv::IMREAD_UNCHANGED);
  const cv::Mat output = cv::imread(folder.file("fixed.exr"), cv::IMREAD_UNCHANGED);
  ASSERT_EQ(output.size(), input.size());
  const cv::Rect left(6, 0, kView.width - 6, kView.height);
  EXPECT_EQ(cv::norm(input(left), output(left), cv::NORM_INF), 0);
  const cv::Rect right(kView.width + 10, 20, 290, 150);
  EXPECT_LT(cv::norm(input(right), output(right + cv::Point(0, 3)), cv::NORM_L1) /
                static_cast<double>(right.area() * 3),
            0.002);
}

// A side-by-side take of `count` frames of real footage, FFV1.
void writeTake(const std::string& path, int count) {
  std::vector<cv::Mat> pictures;
  for (const cv::Mat& view : footage(count)) {
    cv::Mat both;
    cv::hconcat(view, view, both);
    pictures.push_back(both);
  }
  ASSERT_TRUE(test::writeVideo(path, pictures, "FFV1", 24));
}

std::string probe(const std::string& path) {
  const ProcessResult result =
      test::runProcess("/usr/bin/ffprobe",
                       {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                        "stream=codec_name,pix_fmt,nb_read_frames", "-of", "csv=p=0", path});
  return result.out;
}

TEST_F(CorrectTool, WritesTheCodecAskedForAndRefusesWhatIsNotTheTakesBeforeWriting) {
  writeTake(folder.file("take.mkv"), 6);
  const std::string original = probe(folder.file("take.mkv"));
  writeJson("c.json", corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6));
  const std::vector<std::string> take = {"take.mkv", "-o", "VERTICALLY", "--corrections", "c.json"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> words = take;
    words.insert(words.end(), more.begin(), more.end());
    return words;
  };
  for (const auto& [codec, file, expected] :
       {std::tuple<std::string, std::string, std::string>{"ffv1", "a.mkv", "ffv1,bgr0,6"},
        {"prores", "a.mov", "prores,yuv422p10le,6"},
        {"h264", "a.mp4", "h264,yuv420p,6"}}) {
    const ProcessResult result = correct(with({"-r", file, "--codec", codec}));
    ASSERT_EQ(result.exitCode, 0) << codec << result.err;
    EXPECT_EQ(probe(folder.file(file)), expected + "\n") << codec;
  }
  // The lossy codecs are the lossless render, give or take their loss.
  cv::VideoCapture lossless(folder.file("a.mkv"));
  cv::VideoCapture prores(folder.file("a.mov"));
  for (cv::Mat a, b; lossless.read(a) && prores.read(b);) EXPECT_GT(cv::PSNR(a, b), 35);

  // What cannot be this take's corrections, and an output over the input,
  // are refused before anything is written.
  Json noWarp = corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6);
  noWarp["shots"][1]["right"].erase("warp");
  Json text = corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6);
  text["shots"][1]["first_frame"] = "3";
  Json notANumber = corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6);
  notANumber["shots"][1]["left"]["warp"][0][0] = nullptr;  // how JSON writers store NaN
  Json singular = corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6);
  singular["shots"][1]["right"]["warp"] = Json{{1, 2, 0}, {2, 4, 0}, {0, 0, 1}};
  Json otherTake = corrections({"/elsewhere/other.mkv"}, "VERTICALLY", 6);
  Json otherSize = corrections({"/elsewhere/take.mkv"}, "VERTICALLY", 6);
  otherSize["take"]["width"] = 640;
  writeJson("missing.json", noWarp);
  writeJson("text.json", text);
  writeJson("nan.json", notANumber);
  writeJson("singular.json", singular);
  writeJson("other.json", otherTake);
  writeJson("size.json", otherSize);
  for (const auto& [json, output, message] :
       {std::tuple<std::string, std::string, std::string>{
            "missing.json", "b.mkv", "missing.json: shots[1].right.warp is missing"},
        {"text.json", "b.mkv", "shots[1].first_frame is not a whole number"},
        {"nan.json", "b.mkv", "shots[1].left.warp is not a finite number"},
        {"singular.json", "b.mkv", "shots[1].right.warp is a singular homography"},
        {"other.json", "b.mkv", "holds the corrections of other.mkv, not of take.mkv"},
        {"size.json", "b.mkv", "is for views of 640 x 180; the views of take.mkv are 320 x 180"},
        {"c.json", "take.mkv", "would overwrite the input"}}) {
    SCOPED_TRACE(json + " " + output);
    const ProcessResult result =
        correct({"take.mkv", "-o", "VERTICALLY", "--corrections", json, "-r", output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(folder.file("b.mkv")));
  }
  EXPECT_EQ(probe(folder.file("take.mkv")), original) << "the input is untouched";

  // A take shorter than the corrections: said, and what it holds written.
  fs::create_directories(folder.file("short"));
  writeTake(folder.file("short/take.mkv"), 4);
  const ProcessResult shorter =
      correct({"short/take.mkv", "-o", "VERTICALLY", "--corrections", "c.json", "-r", "short.mkv"});
  EXPECT_EQ(shorter.exitCode, 1);
  EXPECT_NE(
      shorter.err.find("the take ends after frame 4, but c.json was measured on frames 1 to 6"),
      std::string::npos)
      << shorter.err;
  EXPECT_EQ(probe(folder.file("short.mkv")), "ffv1,bgr0,4\n");
}

TEST_F(CorrectTool, AStopRequestLeavesNoHalfWrittenFile) {
  // A long take made by the ffmpeg program, every frame warped.
  const ProcessResult made =
      run(std::string(FFMPEG_PROGRAM) +
          " -v error -f lavfi -i testsrc2=size=640x180:rate=24 -frames 300 -c:v ffv1 long.mkv");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  Json json = corrections({"long.mkv"}, "VERTICALLY", 300);
  json["shots"].erase(0);
  json["shots"][0]["first_frame"] = 1;
  writeJson("long.json", json);
  // The signal goes once the output is being written; the wait is bounded.
  const ProcessResult result =
      run(std::string(STEREOLINT_CORRECT_BINARY) +
          " long.mkv -o VERTICALLY --corrections long.json -r out.mkv 2> err & pid=$!; "
          "for i in $(seq 600); do [ -e out.mkv.partial ] && break; sleep 0.05; done; "
          "kill -INT $pid; wait $pid; echo $? > status");
  EXPECT_EQ(test::readTextFile(folder.file("status")), "130\n")
      << test::readTextFile(folder.file("err"));
  EXPECT_NE(test::readTextFile(folder.file("err")).find("stopped by SIGINT"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder.file("out.mkv")));
  EXPECT_FALSE(fs::exists(folder.file("out.mkv.partial")));
}

}  // namespace
}  // namespace stereolint
