// Clips opened and decoded through a loaded library (the stand-in decoder),
// made by StandinClipWriter or by the make-r3d-clip tool.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "StandinClipWriter.h"
#include "sources/r3d/ClipReader.h"
#include "sources/r3d/DecodeJob.h"
#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/R3DFrames.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "r3d/StandinFolders.h"

namespace stereolint {
namespace {

using test::TempFolder;

// A frame whose every sample tells its frame, channel, row and column apart.
cv::Mat distinctFrame(int frame, int width, int height) {
  cv::Mat picture(height, width, CV_16UC3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        picture.at<cv::Vec3w>(y, x)[c] =
            static_cast<std::uint16_t>(frame * 10000 + c * 1000 + y * 100 + x + 0x0100);
      }
    }
  }
  return picture;
}

bool samePixels(const cv::Mat& a, const cv::Mat& b) {
  return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// One decoded frame as the clip run will use it: an aligned buffer, the
// standard request, and the conversion to a picture.
class FrameBuffer {
 public:
  FrameBuffer(std::uint32_t width, std::uint32_t height)
      : width(width), height(height), block(allocateAligned16(std::size_t{width} * height * 6)) {}
  ~FrameBuffer() {
    if (block) freeAligned16(*block);
  }
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  DecodeJob request() const { return planarRgb16Request(block->data, width, height); }
  cv::Mat picture() const {
    return planarRgb16ToMat(block->data, static_cast<int>(width), static_cast<int>(height));
  }

 private:
  std::uint32_t width, height;
  std::optional<AlignedBlock> block;
};

class ClipReading : public test::DecoderLoaderFixture {
 protected:
  void SetUp() override {
    DecoderLoaderFixture::SetUp();
    ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v710), 0), 0);
  }

  std::string writeClip(const std::vector<cv::Mat>& frames) {
    const std::string path = folder.file("take.R3D");
    test::StandinClipWriter writer(path);
    for (const cv::Mat& frame : frames) EXPECT_TRUE(writer.append(frame));
    EXPECT_TRUE(writer.finish());
    return path;
  }

  TempFolder folder;
};

TEST_F(ClipReading, DecodesEveryFrameAsItWasWritten) {
  const std::vector<cv::Mat> frames{distinctFrame(0, 5, 3), distinctFrame(1, 5, 3)};
  ClipReader clip(writeClip(frames));
  ASSERT_TRUE(clip.isOpen());
  EXPECT_EQ(clip.width(), 5u);
  EXPECT_EQ(clip.height(), 3u);
  ASSERT_EQ(clip.frameCount(), 2u);

  FrameBuffer buffer(5, 3);
  DecodeJob job = buffer.request();
  for (std::uint32_t i = 0; i < 2; ++i) {
    ASSERT_EQ(clip.decodeFrame(i, job), 0);
    EXPECT_TRUE(samePixels(buffer.picture(), frames[i])) << "frame " << i;
  }
  EXPECT_NE(clip.decodeFrame(2, job), 0) << "beyond the last frame";
}

TEST_F(ClipReading, TheLibraryRefusesRequestsItCannotServe) {
  ClipReader clip(writeClip({distinctFrame(0, 4, 2)}));
  FrameBuffer buffer(4, 2);

  DecodeJob otherPixels = buffer.request();
  otherPixels.pixelType = 0x52423649;
  EXPECT_NE(clip.decodeFrame(0, otherPixels), 0);

  DecodeJob tooSmall = buffer.request();
  tooSmall.outputBufferSize -= 1;
  EXPECT_NE(clip.decodeFrame(0, tooSmall), 0);

  DecodeJob fresh;
  EXPECT_NE(clip.decodeFrame(0, fresh), 0) << "a new request asks for no format and no buffer";
}

TEST_F(ClipReading, AFileThatIsNoClipCannotBeOpened) {
  test::writeTextFile(folder.file("text.R3D"), "not a clip at all");
  for (const std::string& path : {folder.file("text.R3D"), folder.file("missing.R3D")}) {
    ClipReader clip(path);
    EXPECT_FALSE(clip.isOpen()) << path;
    EXPECT_EQ(clip.frameCount(), 0u);
    DecodeJob job;
    EXPECT_EQ(clip.decodeFrame(0, job), ClipReader::notOpen);
  }
}

TEST_F(ClipReading, AClipShorterThanItsHeaderAnnouncesCannotBeOpened) {
  // A header: magic, then width, height and frame count, little-endian.
  const auto header = [](std::uint32_t width, std::uint32_t height, std::uint32_t frames) {
    std::string bytes = "SLR3";
    for (const std::uint32_t value : {width, height, frames}) {
      for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
    }
    return bytes;
  };
  test::writeTextFile(folder.file("cut.R3D"), header(2, 2, 2) + std::string(24, '\x7f'));
  // 0x03000000 x 0x02000000 pixels x 6 bytes x 0x35000000 frames is 0 in
  // 64 bits, so a wrapped size would take this 16-byte file for a clip.
  test::writeTextFile(folder.file("wrapped.R3D"), header(0x03000000, 0x02000000, 0x35000000));
  for (const char* name : {"cut.R3D", "wrapped.R3D"}) {
    ClipReader clip(folder.file(name));
    EXPECT_FALSE(clip.isOpen()) << name;
  }
  test::writeTextFile(folder.file("whole.R3D"), header(2, 2, 2) + std::string(48, '\x7f'));
  EXPECT_TRUE(ClipReader(folder.file("whole.R3D")).isOpen());
}

TEST_F(ClipReading, WithoutALibraryNoClipOpens) {
  const std::string path = writeClip({distinctFrame(0, 4, 2)});
  unloadDecoderLibrary();
  ClipReader clip(path);
  EXPECT_FALSE(clip.isOpen());
  EXPECT_EQ(clip.width(), 0u);
  EXPECT_EQ(clip.height(), 0u);
  EXPECT_EQ(clip.frameCount(), 0u);
  DecodeJob job;
  EXPECT_EQ(clip.decodeFrame(0, job), ClipReader::notOpen);
}

TEST_F(ClipReading, AClipOutlivingItsLibraryIsNoLongerOpen) {
  ClipReader clip(writeClip({distinctFrame(0, 4, 2)}));
  ASSERT_TRUE(clip.isOpen());
  unloadDecoderLibrary();
  EXPECT_FALSE(clip.isOpen());
  EXPECT_EQ(clip.frameCount(), 0u);
  clip.close();  // must not call into the unloaded library
  clip.close();
}

TEST_F(ClipReading, TheToolMakesAClipOfImagesScaledTo16Bits) {
  std::vector<cv::Mat> images;
  std::vector<std::string> arguments{folder.file("made.R3D")};
  for (int i = 0; i < 3; ++i) {
    cv::Mat image(4, 6, CV_8UC3);
    cv::randu(image, 0, 256);
    images.push_back(image);
    arguments.push_back(folder.file("frame" + std::to_string(i) + ".png"));
    ASSERT_TRUE(cv::imwrite(arguments.back(), image));
  }
  const test::ProcessResult made = test::runProcess(MAKE_R3D_CLIP, arguments);
  ASSERT_EQ(made.exitCode, 0) << made.err;

  ClipReader clip(arguments[0]);
  ASSERT_EQ(clip.frameCount(), 3u);
  ASSERT_EQ(clip.width(), 6u);
  ASSERT_EQ(clip.height(), 4u);
  FrameBuffer buffer(6, 4);
  DecodeJob job = buffer.request();
  for (std::uint32_t i = 0; i < 3; ++i) {
    ASSERT_EQ(clip.decodeFrame(i, job), 0);
    cv::Mat expected;
    images[i].convertTo(expected, CV_16U, 256.0);
    EXPECT_TRUE(samePixels(buffer.picture(), expected)) << "frame " << i;
  }
}

TEST_F(ClipReading, TheToolTakesEveryFrameOfAVideo) {
  const std::string video = folder.file("take.avi");
  {
    cv::VideoWriter writer(video, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25, {32, 16});
    if (!writer.isOpened()) GTEST_SKIP() << "this OpenCV writes no MJPG video";
    for (int i = 0; i < 4; ++i) writer.write(cv::Mat(16, 32, CV_8UC3, cv::Scalar(40 * i, 50, 60)));
  }
  const test::ProcessResult made =
      test::runProcess(MAKE_R3D_CLIP, {folder.file("video.R3D"), video});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  ClipReader clip(folder.file("video.R3D"));
  EXPECT_EQ(clip.frameCount(), 4u);
  EXPECT_EQ(clip.width(), 32u);
  EXPECT_EQ(clip.height(), 16u);
}

TEST_F(ClipReading, TheToolRefusesImagesOfDifferentSizes) {
  ASSERT_TRUE(cv::imwrite(folder.file("a.png"), cv::Mat(4, 6, CV_8UC3, cv::Scalar::all(1))));
  ASSERT_TRUE(cv::imwrite(folder.file("b.png"), cv::Mat(5, 6, CV_8UC3, cv::Scalar::all(1))));
  const test::ProcessResult made = test::runProcess(
      MAKE_R3D_CLIP, {folder.file("bad.R3D"), folder.file("a.png"), folder.file("b.png")});
  EXPECT_NE(made.exitCode, 0);
  EXPECT_NE(made.err, "");
}

}  // namespace
}  // namespace stereolint
