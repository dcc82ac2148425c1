#include "sources/r3d/R3DFrames.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace stereolint {

namespace {

constexpr std::size_t alignment = 16;

}  // namespace

std::optional<AlignedBlock> allocateAligned16(std::size_t size) {
  if (size > std::numeric_limits<std::size_t>::max() - (alignment - 1)) return std::nullopt;
  auto* start = static_cast<unsigned char*>(std::malloc(size + alignment - 1));
  if (start == nullptr) return std::nullopt;
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  const std::size_t offset = (alignment - address % alignment) % alignment;
  return AlignedBlock{start + offset, offset};
}

void freeAligned16(const AlignedBlock& block) {
  if (block.data != nullptr) std::free(block.data - block.offset);
}

cv::Mat planarRgb16ToMat(const void* buffer, int width, int height) {
  if (buffer == nullptr || width <= 0 || height <= 0) return cv::Mat();
  // The planes are only read; cv::Mat wants a mutable pointer to wrap them.
  auto* samples = static_cast<std::uint16_t*>(const_cast<void*>(buffer));
  const std::size_t plane = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const cv::Mat red(height, width, CV_16UC1, samples);
  const cv::Mat green(height, width, CV_16UC1, samples + plane);
  const cv::Mat blue(height, width, CV_16UC1, samples + 2 * plane);
  cv::Mat picture;
  cv::merge(std::vector<cv::Mat>{blue, green, red}, picture);
  return picture;
}

}  // namespace stereolint
