// Damaged and unusual media as it comes off set, run through the real
// binary: files that are not what their extension says, a named pipe,
// pictures and videos cut short, a header that claims an enormous picture,
// pictures too small to measure, views of different sizes, paths in any
// script, and odd selection and tile-size texts. Each case ends with a clear
// message and the right exit status, never with a crash or a hang, and
// leaves no files for frames that were not analysed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";
// The parameters the README recommends for real footage.
const std::string kRecommended =
    "WIDTH:5,HEIGHT:5,DETECTOR:GridFAST,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";
const char* const kRule = "-------------------------------------------------------------\n";

std::string block(const std::string& level, const std::string& phase, const std::string& message) {
  return level + ": \n\t[runtime phase]: " + phase + "\n\t[message      ]: " + message + "\n";
}

std::string inputError(const std::string& message) {
  return block("Error", "ConsoleApplication::run - [input]", message);
}

std::string bytesOf(const std::vector<uchar>& encoded) {
  return std::string(encoded.begin(), encoded.end());
}

std::string bigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string pngChunk(const std::string& type, const std::string& data) {
  const std::string typed = type + data;
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(typed.data()),
                          static_cast<uInt>(typed.size()));
  return bigEndian32(static_cast<std::uint32_t>(data.size())) + typed +
         bigEndian32(static_cast<std::uint32_t>(crc));
}

// A PNG file written by hand: 8-bit RGB of the claimed size, whose one IDAT
// chunk holds `rows` rows of black pixels of that width.
std::string pngClaiming(std::uint32_t width, std::uint32_t height, std::uint32_t rows) {
  const std::string header =
      bigEndian32(width) + bigEndian32(height) + std::string("\x08\x02\0\0\0", 5);
  const std::string raw(static_cast<size_t>(rows) * (1 + 3 * static_cast<size_t>(width)), '\0');
  std::vector<Bytef> packed(compressBound(static_cast<uLong>(raw.size())));
  uLongf packedSize = static_cast<uLongf>(packed.size());
  compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  return "\x89PNG\r\n\x1a\n" + pngChunk("IHDR", header) +
         pngChunk("IDAT",
                  std::string(packed.begin(), packed.begin() + static_cast<long>(packedSize))) +
         pngChunk("IEND", "");
}

// Where the chunk of each frame ends in the "movi" list of an AVI file, to
// cut the file between frames; the first list entry starts 4 bytes after
// "movi".
std::vector<size_t> aviFrameEnds(const std::string& avi) {
  std::vector<size_t> ends;
  const auto littleEndian32 = [&avi](size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(avi[at + i]);
    return value;
  };
  for (size_t at = avi.find("movi") + 4; at + 8 <= avi.size();) {
    const std::string id = avi.substr(at, 4);
    if (id == "idx1") break;
    const std::uint32_t length = littleEndian32(at + 4);
    at += 8 + length + (length & 1);
    if (id == "00dc" || id == "00db") ends.push_back(at);
  }
  return ends;
}

class BadInput : public ::testing::Test {
 protected:
  // Runs in the temporary folder with output prefix "out/" unless the
  // arguments give another.
  ProcessResult run(const std::vector<std::string>& arguments,
                    const std::string& parameters = kParameters) {
    return test::runProcess(STEREOLINT_BINARY, withDefaults(arguments, parameters),
                            {folder.path(), {}, {}});
  }
  static std::vector<std::string> withDefaults(std::vector<std::string> arguments,
                                               const std::string& parameters = kParameters) {
    arguments.insert(arguments.begin(), {"-m", "CONSOLE", "-d", "Stereolint", "-t", "2", "-p",
                                         parameters, "-r", "out/"});
    return arguments;
  }
  // A refused input: status 255, exactly `err` on standard error, nothing
  // on standard output and no file written.
  void expectRefused(const std::vector<std::string>& arguments, const std::string& err) {
    const ProcessResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, err);
    EXPECT_FALSE(std::filesystem::exists(file("out")));
  }
  std::string file(const std::string& name) const { return folder.file(name); }
  std::set<std::string> filesIn(const std::string& sub) const { return folder.namesIn(sub); }
  test::TempFolder folder;
};

TEST_F(BadInput, FilesThatAreNoMediaUnderMediaExtensions) {
  for (const std::string extension : {"png", "jpg", "mp4", "avi"}) {
    test::writeTextFile(file("empty." + extension), "");
    test::writeTextFile(file("text." + extension), "Scene 12, take 3: camera left was re-rigged\n");
    const bool picture = extension == "png" || extension == "jpg";
    for (const std::string& name : {"empty." + extension, "text." + extension}) {
      SCOPED_TRACE(name);
      // FFmpeg's own reason ends the message about a video.
      expectRefused({"-i", name, "-o", "VERTICALLY"},
                    inputError(picture ? "Cannot read the image " + name
                                       : "Cannot open the video " + name +
                                             ": Invalid data found when processing input"));
    }
  }
}

TEST_F(BadInput, NamedPipeIsNoInputFile) {
  ASSERT_EQ(mkfifo(file("pipe.png").c_str(), 0600), 0);
  test::BackgroundProcess process(STEREOLINT_BINARY,
                                  withDefaults({"-i", "pipe.png", "-o", "VERTICALLY"}),
                                  {folder.path(), {}, {}});
  for (int i = 0; i < 100 && process.running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(process.running()) << "it waits for a writer to open the pipe";
  const ProcessResult result = process.wait();
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.err,
            "Wrong application arguments for CONSOLE mode\n"
            "Missing or unreadable: the input pipe.png (no readable file)\nHELP: Stereolint -h\n\n");
}

TEST_F(BadInput, TruncatedPicturesAreRefusedBeforeTheyAreDecoded) {
  // A JPEG decoder fills what is missing with grey and carries on, so the
  // damage would otherwise be measured as if it were footage.
  const cv::Mat picture = test::sideBySide(test::verticallyShiftedPair({160, 120}, 8));
  for (const std::string extension : {".png", ".jpg"}) {
    std::vector<uchar> encoded;
    ASSERT_TRUE(cv::imencode(extension, picture, encoded));
    const std::string whole = bytesOf(encoded);
    const std::string name = "cut" + extension;
    test::writeTextFile(file(name), whole.substr(0, whole.size() / 2));
    SCOPED_TRACE(name);
    expectRefused({"-i", name, "-o", "VERTICALLY"},
                  inputError("Cannot read the image " + name + ": the file is truncated"));
    test::writeTextFile(file("whole" + extension), whole);
    const ProcessResult intact =
        run({"-i", "whole" + extension, "-o", "VERTICALLY", "-r", "whole/"});
    EXPECT_EQ(intact.exitCode, 0) << intact.err;
  }
}

TEST_F(BadInput, HeaderClaimingAnEnormousPictureIsRefusedQuickly) {
  // Made the same way at a small size, the file is a picture like any other.
  test::writeTextFile(file("small.png"), pngClaiming(4, 2, 2));
  const cv::Mat small = cv::imread(file("small.png"));
  ASSERT_EQ(small.size(), cv::Size(4, 2));

  test::writeTextFile(file("huge.png"), pngClaiming(60000, 60000, 1));
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult result = run({"-i", "huge.png", "-o", "VERTICALLY"});
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(seconds.count(), 10.0);
  EXPECT_EQ(result.exitCode, 255) << "no crash: " << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("Error: \n\t[runtime phase]: ConsoleApplication::run - [input]\n"
                             "\t[message      ]: Cannot read the image huge.png: the image "
                             "library refuses it (",
                             0),
            0u)
      << result.err;
  EXPECT_NE(result.err.find("MAX_IMAGE_PIXELS"), std::string::npos) << "the reason is its size";
  EXPECT_FALSE(std::filesystem::exists(file("out")));
}

TEST_F(BadInput, VideosWithoutAFrame) {
  // Writers opened and closed without a frame.
  for (const auto& [name, fourcc] :
       {std::pair{"none.avi", "MJPG"}, std::pair{"none.mp4", "mp4v"}}) {
    cv::VideoWriter writer(file(name), cv::CAP_FFMPEG,
                           cv::VideoWriter::fourcc(fourcc[0], fourcc[1], fourcc[2], fourcc[3]), 25,
                           cv::Size(64, 48));
    ASSERT_TRUE(writer.isOpened()) << name;
  }
  expectRefused({"-i", "none.avi", "-o", "VERTICALLY"},
                inputError("The video none.avi reports no frames"));
  expectRefused({"-i", "none.mp4", "-o", "VERTICALLY"},
                inputError("none.mp4 holds no video stream"));

  // Cut before its first frame, a file still announces its frames.
  const auto pairs = test::shiftedPairs(2, {160, 120}, 8);
  ASSERT_TRUE(test::writeVideo(file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  const std::string avi = test::readTextFile(file("take.avi"));
  test::writeTextFile(file("head.avi"), avi.substr(0, avi.find("movi") + 4));
  expectRefused({"-i", "head.avi", "-o", "VERTICALLY"},
                inputError("Cannot read any frame of the video head.avi"));
  // The same as the second of a pair.
  ASSERT_TRUE(test::writeVideo(file("left.avi"), test::leftViews(pairs), "MJPG"));
  ASSERT_TRUE(test::writeVideo(file("right.avi"), test::rightViews(pairs), "MJPG"));
  const std::string right = test::readTextFile(file("right.avi"));
  test::writeTextFile(file("right head.avi"), right.substr(0, right.find("movi") + 4));
  expectRefused({"-i", "left.avi", "right head.avi"},
                inputError("Cannot read any frame of the video right head.avi"));
}

TEST_F(BadInput, VideoCutShortIsAnalysedUpToTheCut) {
  const auto pairs = test::shiftedPairs(4, {160, 120}, 8);
  ASSERT_TRUE(test::writeVideo(file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  const std::string avi = test::readTextFile(file("take.avi"));
  const auto ends = aviFrameEnds(avi);
  ASSERT_EQ(ends.size(), 4u);
  test::writeTextFile(file("cut.avi"), avi.substr(0, ends[1]));

  const ProcessResult result = run({"-i", "cut.avi", "-o", "VERTICALLY", "-t", "1"});
  EXPECT_EQ(result.exitCode, 0) << "a frame count can be an estimate, so this is no failure";
  EXPECT_EQ(result.err, block("Warning", "ConsoleApplication::run - [frames]",
                              "Reading cut.avi stopped at frame 3 of 4"));
  EXPECT_NE(result.out.find("cut : 2 / 4 VERTICAL"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("cut : 3 / 4"), std::string::npos);
  const auto written = filesIn("out");
  EXPECT_EQ(written.count("2_4_SUMMARY.png"), 1u);
  for (const auto& name : written) {
    EXPECT_TRUE(name.rfind("3_4_", 0) != 0 && name.rfind("4_4_", 0) != 0) << name;
  }
}

// Debian's opencv-doc ships Megamind_bugy.avi beside Megamind.avi. Despite
// its name its video is sound: a more strongly compressed copy, made for
// the image library's quality-measuring tutorial. It is the intact file
// whose AC-3 sound track is damaged, which a video-only reader never
// decodes. Both give all 270 frames, and FFmpeg's complaints stay quiet:
// the only remark is ours, that the first frame (black) shows nothing to
// measure.
TEST_F(BadInput, SampleVideosOfTheImageLibrary) {
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  for (const std::string name : {"Megamind_bugy", "Megamind"}) {
    const std::string path = data + name + ".avi";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "opencv-doc is not installed";
    SCOPED_TRACE(name);
    const ProcessResult result =
        run({"-i", path, "-o", "VERTICALLY", "-s", "1,270,", "-r", name + "/"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, block("Warning", "ConsoleApplication::run - [frames]",
                                name + " : 1 / 270: nothing was measured: both views are black"));
    EXPECT_NE(result.out.find(name + " : 270 / 270 VERTICAL"), std::string::npos) << result.out;
    EXPECT_EQ(filesIn(name).count("270_270_SUMMARY.png"), 1u);
  }
}

TEST_F(BadInput, PictureTooSmallToCutIntoTwoViews) {
  cv::imwrite(file("dot.png"), cv::Mat(1, 1, CV_8UC3, cv::Scalar(10, 20, 30)));
  for (const char* orientation : {"VERTICALLY", "HORIZONTALLY"}) {
    expectRefused({"-i", "dot.png", "-o", orientation},
                  inputError("The image dot.png (1 x 1) is too small to cut into two views"));
  }
}

// Too small for a single tile, a pair is analysed and finds nothing: each
// step prints its TIME alone, the table has empty fields, and a warning
// says why.
TEST_F(BadInput, PicturesTooSmallForATileAreAnalysedWithoutMatches) {
  cv::imwrite(file("dotL.png"), cv::Mat(1, 1, CV_8UC3, cv::Scalar(10, 20, 30)));
  cv::imwrite(file("dotR.png"), cv::Mat(1, 1, CV_8UC3, cv::Scalar(10, 20, 30)));
  cv::imwrite(file("thumb.png"), test::sideBySide(test::verticallyShiftedPair({50, 50}, 2)));
  const std::vector<std::vector<std::string>> cases = {{"dotL.png", "dotR.png"},
                                                       {"thumb.png", "-o", "VERTICALLY"}};
  for (const auto& input : cases) {
    const std::string name = input[0].substr(0, input[0].find('.'));
    const std::string view = name == "thumb" ? "50 x 50" : "1 x 1";
    SCOPED_TRACE(name);
    std::vector<std::string> arguments = {"-r", name + "/", "-i"};
    arguments.insert(arguments.end(), input.begin(), input.end());
    const ProcessResult result = run(arguments, kRecommended);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, block("Warning", "ConsoleApplication::run - [parameters]",
                                "No tile of WIDTH \"5\" and HEIGHT \"5\" fits the views of " +
                                    input[0] + " (" + view + "): nothing can be measured"));
    std::string expected;
    for (const char* step : {"VERTICAL", "ROTATION", "SCALE"}) {
      expected += name + " : 1 / 1 " + step + "\nTIME : T\n" + kRule;
    }
    EXPECT_EQ(test::maskTimes(result.out), expected + kRule);
    EXPECT_EQ(test::maskTimes(test::readTextFile(file(name + "/RESULTS.csv"))),
              ",ID,SIZE,ALL POINTS,CALCULATION POINTS,AVERAGE,AVERAGE STANDARD DEVIATION,"
              "AVERAGE ABS,MEDIAN,MEDIAN ABSOLUTE DEVIATION,CENTYL 70,TIME\n"
              "VERTICAL,1,1,,,,,,,,,T\nROTATION,1,1,,,,,,,,,T\nSCALE,1,1,,,,,,,,,T\n");
    EXPECT_EQ(test::readLines(file(name + "/1_1_RESULT.txt")).size(), 3u);
    EXPECT_EQ(filesIn(name).count("1_1_SUMMARY.png"), 1u);
  }
}

// A width the decoder's colour conversion does not write in whole vectors:
// every frame is read and analysed, nothing written beyond its picture.
TEST_F(BadInput, NarrowVideoIsDecodedWhole) {
  const ProcessResult made = test::runProcess(
      "/usr/bin/ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc2=s=120x60:d=1:r=24",
                          "-pix_fmt", "yuv420p", "-c:v", "libx264", "narrow.mp4"},
      {folder.path(), {}, {}});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const ProcessResult result = run({"-i", "narrow.mp4", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(test::readLines(file("out/RESULTS.csv")).size(), 1u + 24u) << "a row per frame";
}

TEST_F(BadInput, VideosOfDifferentSizesAreRefused) {
  ASSERT_TRUE(test::writeVideo(file("left.avi"),
                               test::leftViews(test::shiftedPairs(2, {320, 240}, 8)), "MJPG"));
  ASSERT_TRUE(test::writeVideo(file("right.avi"),
                               test::rightViews(test::shiftedPairs(2, {160, 120}, 8)), "MJPG"));
  expectRefused({"-i", "left.avi", "right.avi"},
                inputError("The inputs differ in size: left.avi is 320 x 240, right.avi is "
                           "160 x 120"));
}

TEST_F(BadInput, PathsWithBlanksAndNonAsciiCharactersWorkNormally) {
  std::filesystem::create_directories(file("my take"));
  const auto pairs = test::shiftedPairs(2, {160, 120}, 8);
  cv::imwrite(file("my take/プレビュー é.png"), test::sideBySide(pairs[0]));
  ASSERT_TRUE(
      test::writeVideo(file("my take/テイク 2 é.avi"), test::sideBySideFrames(pairs), "MJPG"));

  const ProcessResult picture =
      run({"-i", "my take/プレビュー é.png", "-o", "VERTICALLY", "-r", "résultats/プレビュー é/"});
  ASSERT_EQ(picture.exitCode, 0) << picture.err;
  EXPECT_EQ(picture.err, "");
  EXPECT_EQ(picture.out.rfind("プレビュー é : 1 / 1 VERTICAL\n", 0), 0u) << picture.out;
  EXPECT_EQ(cv::imread(file("résultats/プレビュー é/1_1_LEFT.png")).size(), cv::Size(160, 120));
  EXPECT_EQ(test::readLines(file("résultats/プレビュー é/RESULTS.csv")).size(), 2u);

  const ProcessResult video =
      run({"-i", "my take/テイク 2 é.avi", "-o", "VERTICALLY", "-r", "résultats/テイク é run"});
  ASSERT_EQ(video.exitCode, 0) << video.err;
  EXPECT_EQ(video.err, "");
  EXPECT_NE(video.out.find("テイク 2 é : 2 / 2 VERTICAL\n"), std::string::npos) << video.out;
  EXPECT_EQ(filesIn("résultats").count("テイク é run2_2_SUMMARY.png"), 1u);
  EXPECT_EQ(test::readLines(file("résultats/テイク é runRESULTS.csv")).size(), 3u);
}

// "-s" texts are read by the README's grammar, whatever they hold; only a
// text that names none of the frames read ends with an error.
TEST_F(BadInput, SelectionTexts) {
  ASSERT_TRUE(test::writeVideo(
      file("take.avi"), test::sideBySideFrames(test::shiftedPairs(4, {160, 120}, 8)), "MJPG"));
  const std::vector<std::pair<std::string, std::string>> analysed = {
      {"99999999999999999999", "1234"},  // a number without a comma: every frame
      {"abc", "1234"},                   // no digits: every frame
      {"-3-5", "123"},                   // the range from "" (0) to "3-5" (3)
      {"-1", "1"},                       // the range from 0 to 1
      {"3-99999999999999999999", "34"},  // the end saturates
  };
  for (const auto& [sequence, frames] : analysed) {
    SCOPED_TRACE(sequence);
    const ProcessResult result =
        run({"-i", "take.avi", "-o", "VERTICALLY", "-t", "1", "-s", sequence});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string ids;
    for (const char id : std::string("1234")) {
      if (result.out.find("take : " + std::string(1, id) + " / 4 VERTICAL") != std::string::npos) {
        ids += id;
      }
    }
    EXPECT_EQ(ids, frames);
  }
  std::filesystem::remove_all(file("out"));
  for (const std::string sequence : {",", "0,", "99999999999999999999,", "5-9"}) {
    SCOPED_TRACE(sequence);
    expectRefused({"-i", "take.avi", "-o", "VERTICALLY", "-s", sequence},
                  block("Error", "ConsoleApplication::run - [sequence]",
                        "No frame of take.avi is in the selection \"" + sequence +
                            "\" (frames 1 to 4 were read)"));
  }
}

TEST_F(BadInput, TileSizeTexts) {
  cv::imwrite(file("sbs.png"), test::sideBySide(test::verticallyShiftedPair({160, 120}, 8)));
  const auto parameters = [](const std::string& width, const std::string& height) {
    return "WIDTH:" + width + ",HEIGHT:" + height +
           ",DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";
  };
  // Below 1 or without digits: refused at start-up, before the input is read.
  for (const std::string value : {"-5", "-99999999999999999999", "abc", ""}) {
    for (const bool width : {true, false}) {
      SCOPED_TRACE(value);
      const ProcessResult result = run({"-i", "sbs.png", "-o", "VERTICALLY"},
                                       width ? parameters(value, "10") : parameters("10", value));
      EXPECT_EQ(result.exitCode, 255);
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(result.err,
                std::string("Wrong parameter ") + (width ? "WIDTH" : "HEIGHT") + " \"" + value +
                    "\": a whole number of at least 1 is needed\nHELP: Stereolint -h\n\n");
      EXPECT_FALSE(std::filesystem::exists(file("out")));
    }
  }
  // Huge: read as the largest whole number, which makes a tile larger than
  // any view. The frame is analysed without matches, and a warning says why.
  const std::string huge = "99999999999999999999";
  for (const bool width : {true, false}) {
    const ProcessResult result = run({"-i", "sbs.png", "-o", "VERTICALLY"},
                                     width ? parameters(huge, "10") : parameters("10", huge));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, block("Warning", "ConsoleApplication::run - [parameters]",
                                "No tile of WIDTH \"" + std::string(width ? huge : "10") +
                                    "\" and HEIGHT \"" + (width ? "10" : huge) +
                                    "\" fits the views of sbs.png (160 x 120): nothing can be "
                                    "measured"));
    EXPECT_EQ(test::maskTimes(result.out),
              std::string("sbs : 1 / 1 VERTICAL\nTIME : T\n") + kRule + kRule);
  }
}

}  // namespace
}  // namespace stereolint
