// Telling a PNG or JPEG file that was cut short from a whole one, by its
// structure alone.
#include "sources/TruncatedImage.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "support/SyntheticViews.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

std::string encoded(const std::string& extension, const cv::Mat& picture,
                    const std::vector<int>& flags = {}) {
  std::vector<uchar> bytes;
  EXPECT_TRUE(cv::imencode(extension, picture, bytes, flags));
  return std::string(bytes.begin(), bytes.end());
}

class TruncatedImage : public ::testing::Test {
 protected:
  // Written without an extension: the content alone decides.
  bool truncated(const std::string& bytes) {
    test::writeTextFile(path, bytes);
    return isTruncatedImage(path);
  }
  test::TempFolder folder;
  std::string path = folder.file("picture");
};

TEST_F(TruncatedImage, EveryCutOfAWholeFileIsFound) {
  const cv::Mat picture = test::texturedPicture({96, 64});
  const struct {
    const char* kind;
    std::string bytes;
    size_t signature;
  } files[] = {
      {"png", encoded(".png", picture), 8},
      {"baseline jpeg", encoded(".jpg", picture), 2},
      {"progressive jpeg", encoded(".jpg", picture, {cv::IMWRITE_JPEG_PROGRESSIVE, 1}), 2},
      {"jpeg with restart markers", encoded(".jpg", picture, {cv::IMWRITE_JPEG_RST_INTERVAL, 2}),
       2},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.kind);
    EXPECT_FALSE(truncated(file.bytes));
    // About a hundred cuts, at odd places, and the last byte missing.
    const size_t step = file.bytes.size() / 97 | 1;
    for (size_t size = file.signature; size < file.bytes.size(); size += step) {
      EXPECT_TRUE(truncated(file.bytes.substr(0, size))) << size << " of " << file.bytes.size();
    }
    EXPECT_TRUE(truncated(file.bytes.substr(0, file.bytes.size() - 1)));
  }
}

TEST_F(TruncatedImage, WhatFollowsTheEndMarkerDoesNotCount) {
  const cv::Mat picture = test::texturedPicture({64, 48});
  EXPECT_FALSE(truncated(encoded(".jpg", picture) + std::string(100, '\0') + "trailer"));
  EXPECT_FALSE(truncated(encoded(".png", picture) + "\xFF\xD8 more"));
}

// Cameras put a small JPEG, with its own end marker, into an APP1 segment
// of the picture; that marker is not the end of the file.
TEST_F(TruncatedImage, AnEndMarkerInsideASegmentIsSkipped) {
  const std::string thumbnail = encoded(".jpg", test::texturedPicture({32, 24}, 3));
  const std::string main = encoded(".jpg", test::texturedPicture({64, 48}));
  const size_t length = thumbnail.size() + 2;
  ASSERT_LT(length, 65536u);
  const std::string app1 = std::string("\xFF\xE1") + static_cast<char>(length >> 8) +
                           static_cast<char>(length & 0xFF) + thumbnail;
  const std::string whole = main.substr(0, 2) + app1 + main.substr(2);
  std::vector<uchar> bytes(whole.begin(), whole.end());
  ASSERT_EQ(cv::imdecode(bytes, cv::IMREAD_COLOR).size(), cv::Size(64, 48));

  EXPECT_FALSE(truncated(whole));
  EXPECT_TRUE(truncated(whole.substr(0, 2 + app1.size())));
  EXPECT_TRUE(truncated(whole.substr(0, 2 + app1.size() + 40)));
}

TEST_F(TruncatedImage, OtherFilesAreLeftToTheDecoder) {
  const std::string bmp = encoded(".bmp", test::texturedPicture({32, 24}));
  EXPECT_FALSE(truncated(bmp.substr(0, bmp.size() / 2)));
  EXPECT_FALSE(truncated("not a picture"));
  EXPECT_FALSE(truncated(""));
  EXPECT_FALSE(truncated("\x89PNG"));
  EXPECT_FALSE(isTruncatedImage(folder.file("missing.png")));
}

}  // namespace
}  // namespace stereolint
