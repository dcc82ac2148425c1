// The stand-in decoder's reading of a clip file's header and frame table, on
// the input as a whole clip file. Every frame of an accepted header must lie
// inside the file: its last byte is read, so that AddressSanitizer reports a
// frame that reaches past the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "StandinClipFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using stereolint::fuzz::require;
  using stereolint::test::kClipHeaderSize;
  const auto header = stereolint::test::readClipHeader(data, size, size);
  if (!header) return 0;
  require(size >= kClipHeaderSize && header->width > 0 && header->height > 0,
          "an accepted header has a size");

  const std::uint64_t frameBytes = header->frameBytes();
  const std::uint32_t frames = std::min<std::uint32_t>(header->frameCount, 4096);
  volatile std::uint8_t last = 0;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const std::uint64_t offset = header->frameOffset(i);
    require(offset >= kClipHeaderSize && offset <= size && frameBytes <= size - offset,
            "every frame lies inside the file");
    last = data[offset + frameBytes - 1];
  }
  (void)last;
  return 0;
}
