#include "StandinClipFormat.h"

#include <cstring>

namespace stereolint::test {

namespace {

constexpr char clipMagic[4] = {'S', 'L', 'R', '3'};

std::uint32_t littleEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

}  // namespace

std::optional<ClipHeader> readClipHeader(const unsigned char* bytes, std::size_t size,
                                         std::uint64_t fileSize) {
  if (size < kClipHeaderSize || std::memcmp(bytes, clipMagic, 4) != 0) return std::nullopt;
  ClipHeader header;
  header.width = littleEndian32(bytes + 4);
  header.height = littleEndian32(bytes + 8);
  header.frameCount = littleEndian32(bytes + 12);
  if (header.width == 0 || header.height == 0 || fileSize < kClipHeaderSize) return std::nullopt;
  // frameCount x width x height x 6 can pass 64 bits, and wrapped it would let
  // a short file announce frames far beyond its end, so the frames' size is
  // compared with the room after the header by division instead.
  const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
  if (header.frameCount != 0 &&
      pixels > (fileSize - kClipHeaderSize) / 6 / header.frameCount) {
    return std::nullopt;
  }
  return header;
}

}  // namespace stereolint::test
