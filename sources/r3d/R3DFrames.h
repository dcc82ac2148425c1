// Buffers for decoded R3D frames and their conversion to OpenCV pictures.
#pragma once

#include <cstddef>
#include <optional>

#include <opencv2/core.hpp>

namespace stereolint {

// A block of memory whose usable part starts on a 16-byte boundary, as the
// decoding library wants its output buffers.
struct AlignedBlock {
  unsigned char* data = nullptr;  // the aligned start; `size` bytes are usable from here
  std::size_t offset = 0;         // distance from the start of the allocated block (0 to 15)
};

// Allocates size + 15 bytes and returns the first 16-byte-aligned address
// inside with its offset; nothing when the allocation fails. Free the block
// with freeAligned16.
std::optional<AlignedBlock> allocateAligned16(std::size_t size);

// Frees a block from allocateAligned16; a block with null data is ignored.
void freeAligned16(const AlignedBlock& block);

// A new 16-bit, 3-channel picture (blue, green, red) of `height` rows and
// `width` columns from a planar 16-bit RGB buffer: three planes of
// width x height native-endian samples without padding, red first, then
// green, then blue. The picture owns a copy of the pixels, so the buffer may
// be reused at once. Empty for a null buffer or a size of 0.
cv::Mat planarRgb16ToMat(const void* buffer, int width, int height);

}  // namespace stereolint
