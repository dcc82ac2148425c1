#include "sources/r3d/R3DFrames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace stereolint {
namespace {

TEST(AllocateAligned16, GivesA16ByteBoundaryWithTheWholeSizeUsable) {
  // Several blocks at once, so that the allocator hands out differing addresses.
  std::vector<AlignedBlock> blocks;
  for (std::size_t size : {1u, 6u, 15u, 16u, 17u, 100u, 4096u, 640u * 480u * 6u}) {
    const std::optional<AlignedBlock> block = allocateAligned16(size);
    ASSERT_TRUE(block.has_value()) << size;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->data) % 16, 0u) << size;
    EXPECT_LT(block->offset, 16u);
    std::memset(block->data, 0xAB, size);  // the sanitizers catch a short block
    blocks.push_back(*block);
  }
  for (const AlignedBlock& block : blocks) freeAligned16(block);
  freeAligned16(AlignedBlock{});
}

TEST(AllocateAligned16, GivesNothingWhenTheSizeWithItsSlackIsBeyondReach) {
  const std::size_t largest = std::numeric_limits<std::size_t>::max();
  EXPECT_FALSE(allocateAligned16(largest).has_value());
  EXPECT_FALSE(allocateAligned16(largest - 14).has_value());
}

TEST(PlanarRgb16ToMat, MergesTheRedGreenAndBluePlanesIntoBlueGreenRed) {
  const int width = 3, height = 2, plane = width * height;
  std::vector<std::uint16_t> buffer(3 * plane);
  for (int i = 0; i < plane; ++i) {
    buffer[i] = static_cast<std::uint16_t>(1000 + i);              // red
    buffer[plane + i] = static_cast<std::uint16_t>(2000 + i);      // green
    buffer[2 * plane + i] = static_cast<std::uint16_t>(60000 + i); // blue
  }
  const cv::Mat picture = planarRgb16ToMat(buffer.data(), width, height);
  ASSERT_EQ(picture.type(), CV_16UC3);
  ASSERT_EQ(picture.rows, height);
  ASSERT_EQ(picture.cols, width);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto i = static_cast<std::uint16_t>(y * width + x);
      const cv::Vec3w blueGreenRed(static_cast<std::uint16_t>(60000 + i),
                                   static_cast<std::uint16_t>(2000 + i),
                                   static_cast<std::uint16_t>(1000 + i));
      EXPECT_EQ(picture.at<cv::Vec3w>(y, x), blueGreenRed)
          << "row " << y << ", column " << x;
    }
  }
  // The picture has its own pixels: the buffer may take the next frame.
  std::fill(buffer.begin(), buffer.end(), 0);
  EXPECT_EQ(picture.at<cv::Vec3w>(1, 2), cv::Vec3w(60005, 2005, 1005));
}

TEST(PlanarRgb16ToMat, NothingToConvertGivesAnEmptyPicture) {
  std::uint16_t sample[3] = {1, 2, 3};
  EXPECT_TRUE(planarRgb16ToMat(nullptr, 2, 2).empty());
  EXPECT_TRUE(planarRgb16ToMat(sample, 0, 1).empty());
  EXPECT_TRUE(planarRgb16ToMat(sample, 1, 0).empty());
  EXPECT_EQ(planarRgb16ToMat(sample, 1, 1).at<cv::Vec3w>(0, 0), cv::Vec3w(3, 2, 1));
}

}  // namespace
}  // namespace stereolint
