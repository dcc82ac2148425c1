// Inputs whose files do not say plainly what they hold, run through the real
// binary: a video whose picture size changes mid-stream, containers whose
// duration under-reports or is missing, pictures and videos stored turned,
// float pictures, and a damaged video. What the user sees is checked: the
// frames measured, the warnings, the exit status, and that FFmpeg's own
// lines stay off the console.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <regex>
#include <sstream>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";
const char* const kInputPhase = "ConsoleApplication::run - [input]";
const char* const kFramesPhase = "ConsoleApplication::run - [frames]";
constexpr int kShift = 8;  // whole JPEG blocks, so compressed views stay alike

// testsrc2 beside itself: two views that agree, in every frame another
// picture.
std::string twinSource(int viewWidth, int height, int rate) {
  return "testsrc2=rate=" + std::to_string(rate) + ":size=" + std::to_string(viewWidth) + "x" +
         std::to_string(height) + ",split[a][b];[a][b]hstack";
}

std::string warningBlock(const std::string& phase, const std::string& message) {
  return "Warning: \n\t[runtime phase]: " + phase + "\n\t[message      ]: " + message + "\n";
}

// "id / size" of every frame block the console shows for `name`, in frame
// order (workers finish frames in any order).
std::vector<std::string> frameBlocks(const std::string& out, const std::string& name) {
  std::vector<std::pair<long, std::string>> blocks;
  const std::regex heading("^" + name + " : ((-?[0-9]+) / -?[0-9]+) VERTICAL$");
  std::istringstream lines(out);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, match, heading)) blocks.emplace_back(std::stol(match[2]), match[1]);
  }
  std::sort(blocks.begin(), blocks.end());
  std::vector<std::string> inOrder;
  for (const auto& block : blocks) inOrder.push_back(block.second);
  return inOrder;
}

// The first frame's "MEDIAN : " number, or NaN when there is none.
double firstMedian(const std::string& out) {
  const size_t at = out.find("\nMEDIAN : ");
  return at == std::string::npos ? std::nan("") : std::stod(out.substr(at + 10));
}

// True when every line of standard error belongs to one of our own
// "Error:"/"Warning:" blocks: nothing a library printed slips in.
bool onlyOurBlocks(const std::string& err) {
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    const bool ours = line == "Error: " || line == "Warning: " ||
                      line.rfind("\t[runtime phase]: ", 0) == 0 ||
                      line.rfind("\t[message      ]: ", 0) == 0;
    if (!ours) return false;
  }
  return true;
}

// Patches the segment duration of a Matroska file ffmpeg wrote (element
// 0x4489, an 8-byte big-endian float in milliseconds) to `milliseconds`.
void patchMatroskaDuration(const std::string& path, double milliseconds) {
  std::string bytes = test::readTextFile(path);
  const size_t at = bytes.find(std::string("\x44\x89\x88", 3));
  ASSERT_NE(at, std::string::npos) << "no duration element in " << path;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &milliseconds, sizeof bits);
  for (int k = 0; k < 8; ++k) bytes[at + 3 + k] = static_cast<char>(bits >> (56 - 8 * k));
  test::writeTextFile(path, bytes);
}

// An Exif block holding only the orientation tag, as the segment after the
// start-of-image marker of a JPEG file.
std::string exifSegment(int orientation) {
  const char block[] = {
      '\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,  // APP1, length
      'M',    'M',    0, 42, 0,   0,   0,   8,          // big-endian TIFF header
      0,      1,                                        // one entry
      1,      0x12,   0, 3,  0,   0,   0,   1,   0, static_cast<char>(orientation),
      0,      0,      0, 0,  0,   0};  // no next IFD
  return std::string(block, sizeof(block));
}

class InputFaults : public ::testing::Test {
 protected:
  ProcessResult run(const std::string& input, const std::string& prefix = "out/") {
    return test::runProcess(STEREOLINT_BINARY,
                            {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2", "-p", kParameters,
                             "-r", prefix, "-i", input, "-o", "VERTICALLY"},
                            {folder.path(), {}, {}});
  }
  // Runs the ffmpeg program in the test's folder; the test stops when it fails.
  void ffmpeg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-nostdin", "-v", "error", "-y"});
    const ProcessResult result =
        test::runProcess(FFMPEG_PROGRAM, arguments, {folder.path(), {}, {}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }
  void shell(const std::string& command) {
    const ProcessResult result =
        test::runProcess("/bin/sh", {"-c", command}, {folder.path(), {}, {}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }
  std::string file(const std::string& name) const { return folder.file(name); }
  test::TempFolder folder;
};

// MPEG-TS segments of 640 x 278 and of 960 x 416, which `cat` joins into one
// stream whose size changes; the joined packets go unchanged into a
// Matroska file, a container the tool reads.
TEST_F(InputFaults, AVideoWhoseSizeChangesIsMeasuredUpToTheChange) {
  ffmpeg({"-f", "lavfi", "-i", twinSource(320, 278, 10), "-frames", "4", "-c:v", "libx264",
          "-preset", "ultrafast", "-pix_fmt", "yuv420p", "small.ts"});
  ffmpeg({"-f", "lavfi", "-i", twinSource(480, 416, 10), "-frames", "4", "-c:v", "libx264",
          "-preset", "ultrafast", "-pix_fmt", "yuv420p", "large.ts"});
  shell("cat small.ts large.ts > grows.ts && cat large.ts small.ts > shrinks.ts");
  ffmpeg({"-i", "grows.ts", "-c", "copy", "grows.mkv"});
  ffmpeg({"-i", "shrinks.ts", "-c", "copy", "shrinks.mkv"});
  const struct {
    const char* name;
    const char* first;
    const char* second;
  } cases[] = {{"grows", "640 x 278", "960 x 416"}, {"shrinks", "960 x 416", "640 x 278"}};
  for (const auto& take : cases) {
    SCOPED_TRACE(take.name);
    // Each take in its own folder: two takes of one length share file names.
    const ProcessResult result =
        run(std::string(take.name) + ".mkv", std::string(take.name) + "/");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto blocks = frameBlocks(result.out, take.name);
    ASSERT_EQ(blocks.size(), 4u) << result.out;
    const std::string size = blocks[0].substr(blocks[0].find(" / "));
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(blocks[static_cast<size_t>(k)], std::to_string(k + 1) + size);
    }
    EXPECT_EQ(firstMedian(result.out), 0.0) << "views that agree";
    EXPECT_EQ(result.err, warningBlock(kFramesPhase, "Reading " + std::string(take.name) +
                                                         ".mkv stopped at frame 5 of" +
                                                         size.substr(2) + ": the frame measures " +
                                                         take.second + ", not " + take.first));
    EXPECT_TRUE(onlyOurBlocks(result.err)) << result.err;
  }
}

// 30 frames at 10 a second whose Matroska duration says 0.4 s; the same
// stream written through a pipe, where no duration is written at all; and
// durations no count can come from.
TEST_F(InputFaults, AVideoIsReadToItsEndWhateverItsDurationSays) {
  const std::string source = twinSource(160, 120, 10);
  ffmpeg({"-f", "lavfi", "-i", source, "-frames", "30", "-c:v", "libx264", "-preset", "ultrafast",
          "short.mkv"});
  for (const char* name : {"negative.mkv", "absurd.mkv"}) {
    shell(std::string("cp short.mkv ") + name);
  }
  patchMatroskaDuration(file("short.mkv"), 400.0);
  patchMatroskaDuration(file("negative.mkv"), -400.0);
  patchMatroskaDuration(file("absurd.mkv"), 1e300);
  shell(std::string(FFMPEG_PROGRAM) + " -nostdin -v error -f lavfi -i '" + source +
        "' -frames 30 -c:v libx264 -preset ultrafast -f matroska - | cat > piped.mkv");
  for (const char* name : {"short", "piped", "negative", "absurd"}) {
    SCOPED_TRACE(name);
    const ProcessResult result = run(std::string(name) + ".mkv");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto blocks = frameBlocks(result.out, name);
    ASSERT_EQ(blocks.size(), 30u) << result.out;
    for (size_t k = 0; k < blocks.size(); ++k) {
      EXPECT_EQ(blocks[k].rfind(std::to_string(k + 1) + " / ", 0), 0u) << blocks[k];
      EXPECT_EQ(blocks[k].find('-'), std::string::npos) << "a negative SIZE: " << blocks[k];
    }
  }
}

// A side-by-side photograph stored turned a quarter anticlockwise, with EXIF
// orientation 6 asking viewers to turn it back.
TEST_F(InputFaults, AJpegIsMeasuredAsItsExifOrientationShowsIt) {
  const auto pairs = test::shiftedPairs(1, {320, 240}, kShift);
  cv::Mat stored;
  cv::rotate(test::sideBySide(pairs[0]), stored, cv::ROTATE_90_COUNTERCLOCKWISE);
  std::vector<uchar> encoded;
  ASSERT_TRUE(cv::imencode(".jpg", stored, encoded, {cv::IMWRITE_JPEG_QUALITY, 95}));
  const std::string bytes(encoded.begin(), encoded.end());
  test::writeTextFile(file("sbs.jpg"), bytes.substr(0, 2) + exifSegment(6) + bytes.substr(2));

  const ProcessResult result = run("sbs.jpg");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            warningBlock(kInputPhase, "sbs.jpg is turned as its EXIF orientation 6 asks"));
  EXPECT_EQ(frameBlocks(result.out, "sbs"), std::vector<std::string>{"1 / 1"}) << result.out;
  EXPECT_NEAR(firstMedian(result.out), kShift, 0.5) << result.out;
}

// The same pair as a video stored turned, with rotation metadata that turns
// it back.
TEST_F(InputFaults, AVideoIsMeasuredAsItsRotationMetadataShowsIt) {
  const auto pairs = test::shiftedPairs(2, {320, 240}, kShift);
  std::vector<cv::Mat> stored;
  for (const cv::Mat& shown : test::sideBySideFrames(pairs)) {
    stored.emplace_back();
    cv::rotate(shown, stored.back(), cv::ROTATE_90_CLOCKWISE);
  }
  ASSERT_TRUE(test::writeVideo(file("stored.mp4"), stored, "mp4v"));
  ffmpeg({"-i", "stored.mp4", "-c", "copy", "-metadata:s:v:0", "rotate=90", "turned.mp4"});

  const ProcessResult result = run("turned.mp4");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            warningBlock(kInputPhase,
                         "turned.mp4 is turned 90 degrees counterclockwise as its rotation "
                         "metadata asks"));
  EXPECT_EQ(frameBlocks(result.out, "turned"), (std::vector<std::string>{"1 / 2", "2 / 2"}));
  EXPECT_NEAR(firstMedian(result.out), kShift, 0.5) << result.out;
}

TEST_F(InputFaults, AFloatTiffOfEightBitValuesIsMeasuredAfterScaling) {
  const auto pairs = test::shiftedPairs(1, {320, 240}, kShift);
  cv::Mat samples;
  test::sideBySide(pairs[0]).convertTo(samples, CV_32FC3);
  ASSERT_TRUE(cv::imwrite(file("sbs.tif"), samples));
  const ProcessResult result = run("sbs.tif");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // The range is that of the samples (the image library stores three float
  // channels in a lossy coding): the remark gives it.
  std::string start = warningBlock(kInputPhase, "sbs.tif holds float values from ");
  start.pop_back();  // the line goes on with the range
  EXPECT_EQ(result.err.rfind(start, 0), 0u) << result.err;
  EXPECT_NE(result.err.find("; they are scaled by that range\n"), std::string::npos) << result.err;
  EXPECT_EQ(frameBlocks(result.out, "sbs"), std::vector<std::string>{"1 / 1"}) << result.out;
  EXPECT_NEAR(firstMedian(result.out), kShift, 0.5) << result.out;
}

// An H.264 file cut in half, as an interrupted copy leaves it: the frames
// before the cut are measured, and the decoder's complaints are not shown.
TEST_F(InputFaults, ADamagedVideoKeepsTheDecodersLinesOffTheConsole) {
  ffmpeg({"-f", "lavfi", "-i", twinSource(160, 120, 10), "-frames", "12", "-c:v", "libx264",
          "-preset", "ultrafast", "-g", "4", "-movflags", "+faststart", "whole.mp4"});
  const std::string bytes = test::readTextFile(file("whole.mp4"));
  test::writeTextFile(file("cut.mp4"), bytes.substr(0, bytes.size() / 2));

  const ProcessResult result = run("cut.mp4");
  EXPECT_FALSE(frameBlocks(result.out, "cut").empty()) << result.err;
  EXPECT_NE(result.err, "") << "the early end is reported";
  EXPECT_TRUE(onlyOurBlocks(result.err)) << result.err;
}

}  // namespace
}  // namespace stereolint
