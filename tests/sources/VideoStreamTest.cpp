// Video files read through FFmpeg's libraries, on files the ffmpeg program
// makes with known pictures: every frame, in order, with its own size,
// depth and orientation, whatever the container's headers claim.
#include "sources/VideoStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

// Runs the ffmpeg program; the test stops when it fails.
void ffmpeg(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"-nostdin", "-v", "error", "-y"});
  const auto result = test::runProcess(FFMPEG_PROGRAM, arguments);
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

// Frame k (from 1) of the pattern is one flat colour: red 20 (k - 1),
// green 240 - 20 (k - 1), blue 100, for k up to 13 (beyond, the samples
// wrap round).
const char* const kPattern =
    "color=black:size=64x48:rate=10,format=rgb24,geq=r='N*20':g='240-N*20':b='100'";
constexpr int kPatternFrames = 12;

cv::Scalar patternColour(std::int64_t frame) {
  const double step = 20.0 * static_cast<double>(frame - 1);
  return {100.0, 240.0 - step, step};  // blue, green, red
}

std::unique_ptr<VideoStream> open(const std::string& path,
                                  RotationMetadata rotation = RotationMetadata::Apply) {
  auto opened = openVideoStream(path, rotation);
  EXPECT_TRUE(opened.ok()) << opened.error();
  if (!opened) return nullptr;
  return std::unique_ptr<VideoStream>(dynamic_cast<VideoStream*>(opened.value().release()));
}

// Every picture up to the end of the stream; the test fails on a failed read.
std::vector<StreamPicture> readAll(FrameStream& stream) {
  std::vector<StreamPicture> pictures;
  for (int guard = 0; guard < 1000; ++guard) {
    StreamPicture picture;
    const StreamRead read = stream.read(picture);
    if (read.kind == StreamRead::Kind::End) break;
    EXPECT_EQ(read.kind, StreamRead::Kind::Picture) << read.reason;
    if (read.kind != StreamRead::Kind::Picture) break;
    pictures.push_back(picture);
  }
  return pictures;
}

void expectColour(const StreamPicture& picture, const cv::Scalar& colour) {
  const cv::Scalar mean = cv::mean(picture.picture);
  for (int channel = 0; channel < 3; ++channel) {
    EXPECT_NEAR(mean[channel], colour[channel], 4.0)
        << "frame " << picture.number << ", channel " << channel << " (blue, green, red)";
  }
}

std::vector<std::int64_t> numbersOf(const std::vector<StreamPicture>& pictures) {
  std::vector<std::int64_t> numbers;
  for (const auto& picture : pictures) numbers.push_back(picture.number);
  return numbers;
}

std::vector<std::int64_t> oneTo(std::int64_t last) {
  std::vector<std::int64_t> numbers;
  for (std::int64_t k = 1; k <= last; ++k) numbers.push_back(k);
  return numbers;
}

// One H.264 file with B-frames (the codec reorders them) of the pattern,
// made once for the tests that read it.
class PatternVideo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new test::TempFolder();
    ffmpeg({"-f", "lavfi", "-i", kPattern, "-frames", std::to_string(kPatternFrames), "-c:v",
            "libx264", "-qp", "0", "-bf", "2", "-g", "4", "-pix_fmt", "yuv420p", path()});
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  static std::string path() { return folder->file("pattern.mp4"); }
  static test::TempFolder* folder;
};
test::TempFolder* PatternVideo::folder = nullptr;

TEST_F(PatternVideo, GivesEveryFrameInOrderWithItsColours) {
  auto stream = open(path());
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->pictureSize(), cv::Size(64, 48));
  EXPECT_EQ(stream->frameCountHint(), kPatternFrames);
  EXPECT_TRUE(stream->countIsExact()) << "an MP4 counts its samples";
  ASSERT_TRUE(stream->frameRate().has_value());
  EXPECT_DOUBLE_EQ(*stream->frameRate(), 10.0);
  EXPECT_TRUE(stream->remarks().empty());

  const auto pictures = readAll(*stream);
  EXPECT_EQ(numbersOf(pictures), oneTo(kPatternFrames));
  for (const auto& picture : pictures) {
    EXPECT_EQ(picture.picture.type(), CV_8UC3);
    EXPECT_EQ(picture.picture.size(), cv::Size(64, 48));
    expectColour(picture, patternColour(picture.number));
  }
}

TEST_F(PatternVideo, APictureKeptByTheCallerIsNotWrittenOverByTheNextRead) {
  auto stream = open(path());
  ASSERT_TRUE(stream);
  StreamPicture reused;
  ASSERT_EQ(stream->read(reused).kind, StreamRead::Kind::Picture);
  const StreamPicture kept = reused;  // shares the pixels
  ASSERT_EQ(stream->read(reused).kind, StreamRead::Kind::Picture);
  expectColour(kept, patternColour(1));
  expectColour(reused, patternColour(2));
}

TEST_F(PatternVideo, SkippedFramesAreCountedAndTheNextReadIsTheRightOne) {
  auto stream = open(path());
  ASSERT_TRUE(stream);
  StreamPicture picture;
  for (int k = 1; k <= 5; ++k) {
    ASSERT_EQ(stream->skip(picture).kind, StreamRead::Kind::Picture);
    EXPECT_EQ(picture.number, k);
  }
  ASSERT_EQ(stream->read(picture).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(picture.number, 6);
  expectColour(picture, patternColour(6));
}

TEST_F(PatternVideo, SeeksForwardAndBackToAnyFrame) {
  auto stream = open(path());
  ASSERT_TRUE(stream);
  StreamPicture picture;
  for (const std::int64_t frame : {9, 2, 12, 1, 6}) {
    ASSERT_TRUE(stream->seekTo(frame)) << "frame " << frame;
    ASSERT_EQ(stream->read(picture).kind, StreamRead::Kind::Picture);
    EXPECT_EQ(picture.number, frame);
    expectColour(picture, patternColour(frame));
  }
  EXPECT_FALSE(stream->seekTo(kPatternFrames + 5));
}

class VideoFiles : public ::testing::Test {
 protected:
  test::TempFolder folder;
};

// testsrc2 segments of two sizes, as MPEG-TS, which `cat` joins into one
// stream whose size changes mid-way.
TEST_F(VideoFiles, AStreamThatChangesSizeGivesEachFrameAtItsOwnSize) {
  const cv::Size small(640, 278), large(960, 416);
  for (const auto& [name, size] : {std::pair{"small.ts", small}, std::pair{"large.ts", large}}) {
    const std::string source =
        "testsrc2=rate=24:size=" + std::to_string(size.width) + "x" + std::to_string(size.height);
    ffmpeg({"-f", "lavfi", "-i", source, "-frames", "10", "-c:v", "libx264", "-preset", "ultrafast",
            "-pix_fmt", "yuv420p", folder.file(name)});
  }
  const auto join = [&](const std::string& first, const std::string& second) {
    const std::string joined = folder.file(first + "-" + second);
    std::ofstream out(joined, std::ios::binary);
    for (const auto& part : {first, second}) {
      std::ifstream in(folder.file(part), std::ios::binary);
      out << in.rdbuf();
    }
    return joined;
  };
  const struct {
    std::string path;
    cv::Size first, second;
  } cases[] = {{join("small.ts", "large.ts"), small, large},
               {join("large.ts", "small.ts"), large, small}};
  for (const auto& joined : cases) {
    SCOPED_TRACE(joined.path);
    auto stream = open(joined.path);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->pictureSize(), joined.first);
    const auto pictures = readAll(*stream);
    ASSERT_EQ(numbersOf(pictures), oneTo(20));
    for (const auto& picture : pictures) {
      EXPECT_EQ(picture.picture.size(), picture.number <= 10 ? joined.first : joined.second)
          << "frame " << picture.number;
    }
    // testsrc2 moves every frame: a repeated picture would be a stale copy.
    for (size_t k = 1; k < pictures.size(); ++k) {
      if (pictures[k].picture.size() != pictures[k - 1].picture.size()) continue;
      EXPECT_GT(cv::norm(pictures[k].picture, pictures[k - 1].picture, cv::NORM_L1), 0.0)
          << "frames " << k << " and " << k + 1 << " are the same";
    }
  }
}

// Patches the segment duration of a Matroska file ffmpeg wrote (element
// 0x4489, an 8-byte float in milliseconds) to `milliseconds`.
void patchMatroskaDuration(const std::string& path, double milliseconds) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  const size_t at = bytes.find(std::string("\x44\x89\x88", 3));
  ASSERT_NE(at, std::string::npos) << "no duration element in " << path;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &milliseconds, sizeof bits);
  for (int k = 0; k < 8; ++k) bytes[at + 3 + k] = static_cast<char>(bits >> (56 - 8 * k));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST_F(VideoFiles, ReadingGoesOnPastADurationThatTellsTooFewFrames) {
  const std::string path = folder.file("short.mkv");
  ffmpeg({"-f", "lavfi", "-i", kPattern, "-frames", "30", "-c:v", "libx264", "-preset", "ultrafast",
          path});
  patchMatroskaDuration(path, 400.0);
  auto stream = open(path);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->frameCountHint(), 4);  // 0.4 s at 10 frames a second
  EXPECT_FALSE(stream->countIsExact());
  EXPECT_EQ(numbersOf(readAll(*stream)), oneTo(30));
}

// A copy cut after three quarters of its bytes, as an interrupted transfer
// leaves it.
TEST_F(VideoFiles, AFileCutShortGivesTheFramesBeforeTheCutThenStops) {
  for (const char* name : {"cut.mkv", "cut.ts"}) {
    SCOPED_TRACE(name);
    const std::string path = folder.file(name);
    ffmpeg({"-f", "lavfi", "-i", kPattern, "-frames", "13", "-c:v", "libx264", "-qp", "0", "-g",
            "1", path});
    const std::string bytes = test::readTextFile(path);
    test::writeTextFile(path, bytes.substr(0, bytes.size() * 3 / 4));

    auto stream = open(path);
    ASSERT_TRUE(stream);
    std::vector<StreamPicture> pictures;
    StreamRead last;
    for (int guard = 0; guard < 100; ++guard) {
      StreamPicture picture;
      last = stream->read(picture);
      if (last.kind != StreamRead::Kind::Picture) break;
      pictures.push_back(picture);
    }
    ASSERT_GE(pictures.size(), 3u);
    EXPECT_LT(pictures.size(), 13u);
    EXPECT_EQ(numbersOf(pictures), oneTo(static_cast<std::int64_t>(pictures.size())));
    // The frames wholly before the cut are intact.
    for (size_t k = 0; k + 1 < pictures.size(); ++k) {
      expectColour(pictures[k], patternColour(pictures[k].number));
    }
    // A failure ends the pipeline's sentence about the early end.
    if (last.kind == StreamRead::Kind::Failed) {
      EXPECT_EQ(last.reason.rfind(": ", 0), 0u) << last.reason;
      EXPECT_GT(last.reason.size(), 2u);
    }
  }
}

TEST_F(VideoFiles, AFileWrittenThroughAPipeWithoutDurationIsReadToItsEnd) {
  const std::string path = folder.file("piped.mkv");
  const std::string command =
      std::string(FFMPEG_PROGRAM) + " -nostdin -v error -f lavfi -i \"" + kPattern +
      "\" -frames 30 -c:v libx264 -preset ultrafast -f matroska - | cat > " + path;
  const auto made = test::runProcess("/bin/sh", {"-c", command});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  auto stream = open(path);
  ASSERT_TRUE(stream);
  const auto pictures = readAll(*stream);
  ASSERT_EQ(numbersOf(pictures), oneTo(30));
  expectColour(pictures[11], patternColour(12));
}

// Mid grey (128 of 255) in layouts of 8 to 16 bits, at sizes that are no
// multiple of the scaler's vector width too.
TEST_F(VideoFiles, EveryLayoutGivesBlueGreenRedPicturesOfItsDepth) {
  const struct {
    const char* name;
    const char* codec;
    const char* layout;
    const char* size;
    int type;
    double grey;
    double tolerance;
  } cases[] = {
      {"yuv420p10.mkv", "libx264", "yuv420p10le", "64x48", CV_16UC3, 128.0 * 257.0, 400.0},
      {"gray16.mkv", "ffv1", "gray16le", "61x45", CV_16UC3, 128.0 * 257.0, 400.0},
      {"yuv444p.mkv", "ffv1", "yuv444p", "61x45", CV_8UC3, 128.0, 3.0},
      {"gray.mkv", "ffv1", "gray", "61x45", CV_8UC3, 128.0, 3.0},
      {"yuv420p.mp4", "libx264", "yuv420p", "62x46", CV_8UC3, 128.0, 3.0},
  };
  for (const auto& layout : cases) {
    SCOPED_TRACE(layout.name);
    const std::string path = folder.file(layout.name);
    ffmpeg({"-f", "lavfi", "-i", std::string("color=0x808080:rate=10:size=") + layout.size,
            "-frames", "3", "-c:v", layout.codec, "-qp", "0", "-pix_fmt", layout.layout, path});
    auto stream = open(path);
    ASSERT_TRUE(stream);
    const auto pictures = readAll(*stream);
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[2].picture.type(), layout.type);
    EXPECT_EQ(pictures[2].picture.size(), stream->pictureSize());
    // Every sample, up to the last column and row.
    double darkest = 0, brightest = 0;
    cv::minMaxLoc(pictures[2].picture.reshape(1), &darkest, &brightest);
    EXPECT_NEAR(darkest, layout.grey, layout.tolerance);
    EXPECT_NEAR(brightest, layout.grey, layout.tolerance);
  }
}

// An orange, stored as YUV by the matrices and ranges that videos name:
// read back, it is the same orange.
TEST_F(VideoFiles, ColoursFollowTheMatrixAndRangeTheVideoNames) {
  const cv::Scalar orange(40, 140, 230);  // blue, green, red
  const struct {
    const char* name;
    const char* matrix;
    const char* range;
  } cases[] = {{"bt709.mkv", "bt709", "tv"},
               {"bt601-full.mkv", "smpte170m", "pc"},
               {"bt2020.mkv", "bt2020nc", "tv"}};
  for (const auto& stored : cases) {
    SCOPED_TRACE(stored.name);
    const std::string path = folder.file(stored.name);
    const std::string convert =
        std::string("format=rgb24,scale=out_color_matrix=") +
        (std::string(stored.matrix) == "smpte170m"  ? "bt601"
         : std::string(stored.matrix) == "bt2020nc" ? "bt2020"
                                                    : "bt709") +
        ":out_range=" + (std::string(stored.range) == "pc" ? "full" : "limited");
    ffmpeg({"-f", "lavfi", "-i", "color=0xE68C28:size=64x48:rate=10", "-frames", "2", "-vf",
            convert + ",format=yuv444p", "-colorspace", stored.matrix, "-color_range", stored.range,
            "-c:v", "libx264", "-qp", "0", path});
    auto stream = open(path);
    ASSERT_TRUE(stream);
    const auto pictures = readAll(*stream);
    ASSERT_EQ(pictures.size(), 2u);
    const cv::Scalar mean = cv::mean(pictures[0].picture);
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_NEAR(mean[channel], orange[channel], 4.0) << "channel " << channel;
    }
  }
}

// A picture red on its left half, blue on its right, stored with a display
// matrix that turns it: players (ffmpeg's own) show it turned.
TEST_F(VideoFiles, PicturesAreTurnedAsTheRotationMetadataAsks) {
  const std::string stored = folder.file("stored.mp4");
  ffmpeg({"-f", "lavfi", "-i",
          "color=red:size=32x48:rate=10[a];color=blue:size=32x48:rate=10[b];[a][b]hstack",
          "-frames", "2", "-c:v", "libx264", "-pix_fmt", "yuv420p", stored});
  const cv::Scalar red(0, 0, 255), blue(255, 0, 0);
  const struct {
    const char* rotate;
    cv::Size size;
    cv::Rect where;  // a region that is red as shown; the rest is blue
    const char* remark;
  } cases[] = {
      {"90", {48, 64}, {0, 32, 48, 32}, "90 degrees counterclockwise"},
      {"270", {48, 64}, {0, 0, 48, 32}, "90 degrees clockwise"},
      {"180", {64, 48}, {32, 0, 32, 48}, "180 degrees"},
  };
  for (const auto& turned : cases) {
    SCOPED_TRACE(std::string("rotate=") + turned.rotate);
    const std::string path = folder.file(std::string("turned") + turned.rotate + ".mp4");
    ffmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", std::string("rotate=") + turned.rotate,
            path});
    auto stream = open(path);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->pictureSize(), turned.size);
    EXPECT_EQ(stream->remarks(), std::vector<std::string>{path + " is turned " + turned.remark +
                                                          " as its rotation metadata asks"});
    const auto pictures = readAll(*stream);
    ASSERT_EQ(pictures.size(), 2u);
    const cv::Mat& shown = pictures[0].picture;
    ASSERT_EQ(shown.size(), turned.size);
    cv::Mat redPart = shown(turned.where);
    cv::Mat mask(shown.size(), CV_8U, cv::Scalar(255));
    mask(turned.where).setTo(0);
    const cv::Scalar redMean = cv::mean(redPart), blueMean = cv::mean(shown, mask);
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_NEAR(redMean[channel], red[channel], 40.0) << "channel " << channel;
      EXPECT_NEAR(blueMean[channel], blue[channel], 40.0) << "channel " << channel;
    }
  }

  // Asked to, the reader takes the pictures as stored, and says nothing.
  auto asStored = open(folder.file("turned90.mp4"), RotationMetadata::Ignore);
  ASSERT_TRUE(asStored);
  EXPECT_EQ(asStored->pictureSize(), cv::Size(64, 48));
  EXPECT_TRUE(asStored->remarks().empty());
  const auto storedPictures = readAll(*asStored);
  ASSERT_EQ(storedPictures.size(), 2u);
  const cv::Scalar leftHalf = cv::mean(storedPictures[0].picture(cv::Rect(0, 0, 32, 48)));
  EXPECT_NEAR(leftHalf[2], 255.0, 40.0) << "the left half is red";

  // An angle between quarter turns is not applied, and the user is told.
  const std::string slanted = folder.file("turned45.mp4");
  ffmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=45", slanted});
  auto stream = open(slanted);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->pictureSize(), cv::Size(64, 48));
  EXPECT_EQ(stream->remarks(),
            std::vector<std::string>{slanted + " asks to be turned by an angle that is no quarter "
                                               "turn; its pictures are taken as stored"});
  StreamPicture picture;
  ASSERT_EQ(stream->read(picture).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(picture.picture.size(), cv::Size(64, 48));
}

// Everything FFmpeg writes to standard error while `work` runs.
template <typename Work>
std::string standardErrorOf(const test::TempFolder& folder, Work work) {
  const std::string capture = folder.file("stderr.txt");
  std::fflush(stderr);
  const int saved = dup(2);
  const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, 2);
  close(file);
  work();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  return test::readTextFile(capture);
}

TEST_F(VideoFiles, FilesThatHoldNoVideoFailWithAReasonAndFFmpegStaysQuiet) {
  const std::string missing = folder.file("missing.mp4");
  const std::string empty = folder.file("empty.mp4");
  const std::string text = folder.file("text.mov");
  const std::string audio = folder.file("tone.wav");
  test::writeTextFile(empty, "");
  test::writeTextFile(text, "This is no video, only some words.\n");
  ffmpeg({"-f", "lavfi", "-i", "sine=duration=0.2", audio});

  const std::string printed = standardErrorOf(folder, [&] {
    for (const auto& path : {missing, empty, text}) {
      const auto opened = openVideoStream(path);
      ASSERT_FALSE(opened.ok()) << path;
      EXPECT_EQ(opened.error().rfind("Cannot open the video " + path + ": ", 0), 0u)
          << opened.error();
    }
    EXPECT_EQ(openVideoStream(missing).error(),
              "Cannot open the video " + missing + ": No such file or directory");
    EXPECT_EQ(openVideoStream(audio).error(), audio + " holds no video stream");
  });
  EXPECT_EQ(printed, "");
}

}  // namespace
}  // namespace stereolint
