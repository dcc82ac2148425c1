// Reading the header and the frame table of the stand-in clip format
// (CLIP-FORMAT.md) from bytes, so that the stand-in decoder and the fuzzer
// share one reading of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace stereolint::test {

// Bytes before the first frame: magic, width, height, frame count.
inline constexpr std::size_t kClipHeaderSize = 16;

struct ClipHeader {
  std::uint32_t width = 0;       // pixels, at least 1
  std::uint32_t height = 0;      // pixels, at least 1
  std::uint32_t frameCount = 0;  // may be 0

  // Bytes of one frame: three planes of width x height 16-bit samples. Of an
  // accepted header with frames, at most the file's size.
  std::uint64_t frameBytes() const { return std::uint64_t{width} * height * 6; }
  // Where frame `index` (from 0, below frameCount) starts in the file.
  std::uint64_t frameOffset(std::uint32_t index) const {
    return kClipHeaderSize + index * frameBytes();
  }
};

// The header at the start of `bytes` (`size` bytes available) of a clip file
// of `fileSize` bytes in all; nothing when fewer than kClipHeaderSize bytes
// are available, the magic is not "SLR3", the width or height is 0, or the
// file is too short to hold every frame the header announces. Every frame of
// an accepted header lies inside the file.
std::optional<ClipHeader> readClipHeader(const unsigned char* bytes, std::size_t size,
                                         std::uint64_t fileSize);

}  // namespace stereolint::test
