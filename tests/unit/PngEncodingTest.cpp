#include "results/PngEncoding.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

namespace stereolint {
namespace {

// Smooth ramps with noise on top: rows that the filter and the compressor
// both have work on, in every channel and over the whole range of the depth.
cv::Mat testPicture(int type, cv::Size size) {
  cv::Mat picture(size, type);
  cv::RNG rng(static_cast<std::uint64_t>(type) + 17);
  const double top = CV_MAT_DEPTH(type) == CV_16U ? 65535 : 255;
  rng.fill(picture, cv::RNG::UNIFORM, 0, top + 1);
  for (int y = 0; y < size.height / 2; ++y) {
    cv::Mat row = picture.row(y);
    row.setTo(cv::Scalar(y * 3, y * 251, top - y, y % 2 == 0 ? top : 0));
  }
  return picture;
}

cv::Mat decoded(const std::vector<unsigned char>& bytes) {
  return cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
}

void expectSamePixels(const cv::Mat& a, const cv::Mat& b, const std::string& what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  ASSERT_EQ(a.type(), b.type()) << what;
  EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0.0) << what;
}

TEST(EncodePng, DecodesToTheImageLibrarysPixelsForEveryDepthAndChannelCount) {
  for (int type : {CV_8UC1, CV_8UC3, CV_8UC4, CV_16UC1, CV_16UC3, CV_16UC4}) {
    for (cv::Size size : {cv::Size(1, 1), cv::Size(37, 23), cv::Size(640, 9)}) {
      const cv::Mat picture = testPicture(type, size);
      const std::string what = cv::typeToString(type) + " " + std::to_string(size.width) + "x" +
                               std::to_string(size.height);
      std::vector<unsigned char> ours, reference;
      ASSERT_TRUE(encodePng(picture, ours)) << what;
      ASSERT_TRUE(cv::imencode(".png", picture, reference));
      expectSamePixels(decoded(ours), decoded(reference), what);
      expectSamePixels(decoded(ours), picture, what);
    }
  }
}

TEST(EncodePng, NoiseLargerThanTheCompressorsBandsComesBackWhole) {
  // Several bands of rows, and more compressed bytes than the first buffer holds.
  cv::Mat noise(400, 700, CV_16UC4);
  cv::randu(noise, 0, 65536);
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(encodePng(noise, bytes));
  EXPECT_GT(bytes.size(), size_t{2} << 20);
  expectSamePixels(decoded(bytes), noise, "16-bit noise");
}

TEST(EncodePng, OnePictureGivesTheSameBytesWhereverTheCompressorLies) {
  // Blocks held between encodings move the compressor's memory to another
  // place each time; a compressor whose matches depend on its addresses
  // gives another file for some of them.
  const std::vector<cv::Mat> pictures = {cv::Mat(3, 4, CV_8UC3, cv::Scalar::all(50)),
                                         testPicture(CV_8UC3, cv::Size(37, 23)),
                                         testPicture(CV_16UC1, cv::Size(90, 40))};
  std::vector<std::vector<unsigned char>> first(pictures.size());
  for (size_t k = 0; k < pictures.size(); ++k) ASSERT_TRUE(encodePng(pictures[k], first[k]));
  std::vector<std::vector<char>> held;
  for (int round = 0; round < 500; ++round) {
    held.emplace_back(size_t{64} << 10);
    for (size_t k = 0; k < pictures.size(); ++k) {
      std::vector<unsigned char> bytes;
      ASSERT_TRUE(encodePng(pictures[k], bytes));
      ASSERT_EQ(bytes, first[k]) << "picture " << k << ", round " << round;
    }
  }
}

TEST(StreamPng, HandsOutTheFileInPiecesAndStopsWhenTheSinkRefuses) {
  cv::Mat noise(400, 700, CV_16UC4);
  cv::randu(noise, 0, 65536);
  std::vector<unsigned char> streamed;
  size_t largestPiece = 0;
  ASSERT_TRUE(streamPng(noise, [&](const unsigned char* data, size_t size) {
    largestPiece = std::max(largestPiece, size);
    streamed.insert(streamed.end(), data, data + size);
    return true;
  }));
  EXPECT_LE(largestPiece, size_t{1} << 20) << "no piece holds the whole file";
  expectSamePixels(decoded(streamed), noise, "streamed noise");

  int calls = 0;
  EXPECT_FALSE(streamPng(noise, [&](const unsigned char*, size_t) { return ++calls < 5; }));
  EXPECT_EQ(calls, 5) << "nothing more is sent once the sink refuses";
}

TEST(EncodePng, TakesPartsOfLargerPicturesAsTheyAre) {
  const cv::Mat whole = testPicture(CV_16UC3, {90, 40});
  const cv::Mat part = whole(cv::Rect(7, 3, 61, 30));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(encodePng(part, bytes));
  expectSamePixels(decoded(bytes), part, "a part of a 16-bit picture");
}

TEST(EncodePng, OtherDepthsAreStoredAsTheImageLibraryStoresThem) {
  cv::Mat floats(5, 6, CV_32FC3);
  cv::randu(floats, -20, 300);
  std::vector<unsigned char> ours, reference;
  ASSERT_TRUE(encodePng(floats, ours));
  ASSERT_TRUE(cv::imencode(".png", floats, reference));
  expectSamePixels(decoded(ours), decoded(reference), "floats");
}

TEST(EncodePng, RefusesWhatPngCannotHold) {
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(encodePng(cv::Mat(), bytes));
  EXPECT_FALSE(encodePng(cv::Mat(4, 4, CV_8UC2, cv::Scalar::all(1)), bytes));
}

}  // namespace
}  // namespace stereolint
