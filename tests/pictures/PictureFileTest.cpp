// Reading picture files of every format into 8-bit or 16-bit samples:
// high bit depths and float pictures by the documented rule, JPEG pictures
// turned by their EXIF orientation, damaged files refused with the file
// named.
#include "sources/PictureFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "checkers/SingleMeasurement.h"
#include "support/Process.h"
#include "support/SyntheticViews.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

// sRGB-encoded values of a few linear values, from the sRGB standard.
constexpr double kSrgbOfHalf = 0.735357;
constexpr double kSrgbOf18Percent = 0.461356;

class PictureFile : public ::testing::Test {
 protected:
  // Writing EXR files needs the same switch as reading them.
  void SetUp() override { setenv("OPENCV_IO_ENABLE_OPENEXR", "1", 0); }

  Picture read(const std::string& path) {
    Expected<Picture> picture = readPictureFile(path);
    EXPECT_TRUE(picture.ok()) << picture.error();
    return picture ? *picture : Picture{};
  }
  // One sample of a 16-bit picture as a fraction of the full range.
  static double fraction(const cv::Mat& picture, int row, int column, int channel = 0) {
    return picture.ptr<std::uint16_t>(row)[column * picture.channels() + channel] / 65535.0;
  }
  test::TempFolder folder;
};

bool samePixels(const cv::Mat& a, const cv::Mat& b) {
  return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

TEST_F(PictureFile, IntegerPicturesKeepTheirSamplesAndChannels) {
  const cv::Mat colour = test::texturedPicture({40, 30});
  cv::Mat sixteen, grey, withAlpha;
  colour.convertTo(sixteen, CV_16U, 257.0);
  sixteen.at<cv::Vec3w>(3, 4) = {1, 40000, 65535};
  cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
  cv::cvtColor(colour, withAlpha, cv::COLOR_BGR2BGRA);
  const struct {
    const char* name;
    cv::Mat picture;
  } files[] = {{"a.png", colour}, {"b.PNG", sixteen}, {"c.tif", sixteen}, {"d.tiff", grey},
               {"e.bmp", colour}, {"f.png", withAlpha}, {"g.png", grey}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    ASSERT_TRUE(cv::imwrite(folder.file(file.name), file.picture));
    const Picture picture = read(folder.file(file.name));
    EXPECT_TRUE(samePixels(picture.pixels, file.picture));
    EXPECT_TRUE(picture.remarks.empty());
  }
}

TEST_F(PictureFile, FloatPicturesAreEncodedAsSrgbInSixteenBits) {
  cv::Mat linear(2, 2, CV_32FC3, cv::Scalar(0.5, 0.18, 0));
  linear.at<cv::Vec3f>(1, 1) = {1.0f, 0.002f, -0.0f};
  for (const char* name : {"float.tif", "float.exr", "half.exr"}) {
    SCOPED_TRACE(name);
    // The image library stores colour float TIFF files in a lossy
    // encoding unless told not to compress them.
    std::vector<int> flags{cv::IMWRITE_TIFF_COMPRESSION, 1};
    if (std::string(name) == "half.exr") flags = {cv::IMWRITE_EXR_TYPE, cv::IMWRITE_EXR_TYPE_HALF};
    ASSERT_TRUE(cv::imwrite(folder.file(name), linear, flags));
    const Picture picture = read(folder.file(name));
    ASSERT_EQ(picture.pixels.type(), CV_16UC3);
    EXPECT_NEAR(fraction(picture.pixels, 0, 0, 0), kSrgbOfHalf, 0.001);
    EXPECT_NEAR(fraction(picture.pixels, 0, 0, 1), kSrgbOf18Percent, 0.001);
    EXPECT_EQ(fraction(picture.pixels, 0, 0, 2), 0.0);
    EXPECT_EQ(fraction(picture.pixels, 1, 1, 0), 1.0);
    EXPECT_NEAR(fraction(picture.pixels, 1, 1, 1), 12.92 * 0.002, 0.0003);  // the straight part
    EXPECT_EQ(picture.remarks, std::vector<std::string>{});
  }
}

// A float picture of 0-255 with one hot pixel (a firefly): scaled by the
// range of its samples, which one pixel does not decide.
TEST_F(PictureFile, FloatValuesBeyondOneAreScaledByTheirRangeWithARemark) {
  cv::Mat bytes(100, 100, CV_32FC1, cv::Scalar(0));
  bytes(cv::Rect(0, 50, 100, 50)).setTo(255);
  bytes.at<float>(0, 0) = 60000;
  bytes.at<float>(0, 1) = 127.5;
  bytes.at<float>(0, 2) = std::nanf("");
  const std::string path = folder.file("bytes.tif");
  ASSERT_TRUE(cv::imwrite(path, bytes));
  const Picture picture = read(path);
  EXPECT_EQ(picture.remarks,
            std::vector<std::string>{path + " holds float values from 0 to 255; they are scaled by that range"});
  ASSERT_EQ(picture.pixels.type(), CV_16UC1);
  EXPECT_EQ(fraction(picture.pixels, 0, 0), 1.0) << "the firefly is clamped";
  EXPECT_NEAR(fraction(picture.pixels, 0, 1), kSrgbOfHalf, 0.001);
  EXPECT_EQ(fraction(picture.pixels, 0, 2), 0.0) << "NaN";
  EXPECT_EQ(fraction(picture.pixels, 10, 10), 0.0);
  EXPECT_EQ(fraction(picture.pixels, 60, 10), 1.0);
}

TEST_F(PictureFile, SixteenBitPicturesOfEveryChannelCountReachTheCheckersAsEightBitColour) {
  cv::Mat grey(4, 4, CV_16UC1, cv::Scalar(0x12C0));
  cv::Mat withAlpha(4, 4, CV_16UC4, cv::Scalar(0x0100, 0x8000, 0xFF00, 0xFFFF));
  for (const cv::Mat& stored : {grey, withAlpha}) {
    ASSERT_TRUE(cv::imwrite(folder.file("deep.png"), stored));
    // The other view holds 8-bit samples of the same picture.
    cv::Mat left = read(folder.file("deep.png")).pixels;
    cv::Mat right;
    left.convertTo(right, CV_8U, 1.0 / 256);
    prepareViews(left, right);
    ASSERT_EQ(left.type(), CV_8UC3);
    const cv::Vec3b expected = stored.channels() == 1 ? cv::Vec3b(0x13, 0x13, 0x13) : cv::Vec3b(1, 0x80, 0xFF);
    EXPECT_EQ(left.at<cv::Vec3b>(2, 2), expected);
    EXPECT_EQ(right.at<cv::Vec3b>(2, 2), expected);
  }
}

// Ten-bit and twelve-bit samples stretch to the full 16-bit range: v
// becomes v * 65535 / 1023 (or 4095), so the brightest stays the brightest.
TEST_F(PictureFile, DpxFilesOfEveryDepthGiveFullRangeSamples) {
  cv::Mat ramp(8, 64, CV_16UC3);
  for (int x = 0; x < ramp.cols; ++x) {
    const auto code = static_cast<std::uint16_t>(x * 16 + 15 * (x == 63));  // 0 .. 1023 in 10 bits
    ramp.col(x).setTo(cv::Scalar(code << 6, (1023 - code) << 6, (code / 2) << 6));
  }
  const std::string source = folder.file("ramp.png");
  ASSERT_TRUE(cv::imwrite(source, ramp));
  const struct {
    const char* format;
    int bits;
  } depths[] = {{"gbrp10le", 10}, {"gbrp12le", 12}, {"rgb48le", 16}};
  for (const auto& depth : depths) {
    SCOPED_TRACE(depth.format);
    const std::string dpx = folder.file(std::string(depth.format) + ".dpx");
    const auto made = test::runProcess(FFMPEG_PROGRAM, {"-v", "error", "-y", "-i", source,
                                                        "-pix_fmt", depth.format, dpx});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Picture picture = read(dpx);
    ASSERT_EQ(picture.pixels.type(), CV_16UC3);
    const int top = (1 << depth.bits) - 1;
    for (int x = 0; x < ramp.cols; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int stored = ramp.at<cv::Vec3w>(0, x)[c] >> (16 - depth.bits);
        const double expected = std::round(stored * 65535.0 / top);
        EXPECT_EQ(picture.pixels.at<cv::Vec3w>(5, x)[c], expected) << "column " << x << " channel " << c;
      }
    }
    const std::string whole = test::readTextFile(dpx);
    const std::string cut = folder.file("cut.dpx");
    test::writeTextFile(cut, whole.substr(0, whole.size() / 2));
    EXPECT_EQ(readPictureFile(cut).error().rfind("Cannot read the image " + cut + ": FFmpeg", 0), 0u);
  }
}

// An Exif block with only the orientation tag, as the segment after the
// start-of-image marker of a JPEG file.
std::string exifSegment(int orientation) {
  const char block[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,           // APP1, length
                        'M', 'M', 0, 42, 0, 0, 0, 8,                                // big-endian TIFF header
                        0, 1,                                                       // one entry
                        1, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<char>(orientation), 0, 0,  // SHORT
                        0, 0, 0, 0};                                                // no next IFD
  return std::string(block, sizeof(block));
}

TEST_F(PictureFile, JpegPicturesAreTurnedAsTheirExifOrientationAsks) {
  std::vector<uchar> encoded;
  ASSERT_TRUE(cv::imencode(".jpg", test::texturedPicture({64, 48}), encoded));
  const std::string bytes(encoded.begin(), encoded.end());
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const std::string path = folder.file("turned" + std::to_string(orientation) + ".jpg");
    test::writeTextFile(path, bytes.substr(0, 2) + exifSegment(orientation) + bytes.substr(2));
    const Picture picture = read(path);
    // The image library turns pictures the same way when it is let to.
    EXPECT_TRUE(samePixels(picture.pixels, cv::imread(path, cv::IMREAD_COLOR)));
    const std::vector<std::string> remark{path + " is turned as its EXIF orientation " +
                                          std::to_string(orientation) + " asks"};
    EXPECT_EQ(picture.remarks, orientation == 1 ? std::vector<std::string>{} : remark);
  }
  EXPECT_EQ(read(folder.file("turned6.jpg")).pixels.size(), cv::Size(48, 64));
}

TEST_F(PictureFile, UnreadableFilesAreRefusedWithTheFileNamed) {
  std::vector<uchar> png;
  ASSERT_TRUE(cv::imencode(".png", test::texturedPicture({64, 48}), png));
  const std::string cut = folder.file("cut.png");
  test::writeTextFile(cut, std::string(png.begin(), png.begin() + 200));
  EXPECT_EQ(readPictureFile(cut).error(), "Cannot read the image " + cut + ": the file is truncated");

  const std::string missing = folder.file("missing.png");
  EXPECT_EQ(readPictureFile(missing).error(), "Cannot read the image " + missing);

  const std::string text = folder.file("text.exr");
  test::writeTextFile(text, "not a picture");
  EXPECT_EQ(readPictureFile(text).error(), "Cannot read the image " + text);

  const std::string dpx = folder.file("short.dpx");
  test::writeTextFile(dpx, "SDPX" + std::string(3000, '\0'));
  EXPECT_EQ(readPictureFile(dpx).error(),
            "Cannot read the image " + dpx + ": its header gives no picture size");
  std::vector<uchar> bmp;
  ASSERT_TRUE(cv::imencode(".bmp", test::texturedPicture({64, 48}), bmp));
  test::writeTextFile(dpx, std::string(bmp.begin(), bmp.end()));
  EXPECT_EQ(readPictureFile(dpx).error(), "Cannot read the image " + dpx + ": it is no DPX file");
  EXPECT_EQ(readPictureFile(folder.file("missing.dpx")).error(),
            "Cannot read the image " + folder.file("missing.dpx"));

  EXPECT_EQ(readPictureFile(folder.file("clip.gif")).error(),
            "Cannot read the image " + folder.file("clip.gif") +
                ": its extension is none of BMP, JPEG, JPG, PNG, TIFF, TIF, DPX, EXR");
}

}  // namespace
}  // namespace stereolint
