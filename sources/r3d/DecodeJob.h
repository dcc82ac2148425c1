// The decode request handed to the decoding library with every frame.
//
// The record crosses into the vendor's library as it is, so its layout is
// fixed: 32-bit words and pointers of the platform's own size, in this order,
// with no packing of our own. With 32-bit pointers it takes 40 bytes; on a
// 64-bit platform the pointers are 8 bytes wide and 8-byte aligned, which
// makes 48 bytes. The `size` field always holds the platform's size.
//
// This header is also included by the stand-in decoder of the tests, so it
// holds nothing but the record and its codes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace stereolint {

// Four-character codes, first character in the most significant byte.
// Decode mode "DFRP": full resolution, premium quality.
constexpr std::uint32_t decodeModeFullPremium = 0x44465250;
// Pixel type "RB6P": 16-bit unsigned RGB, planar (a red plane of width x
// height samples, then green, then blue; each row of a plane is
// `bytesPerRow` bytes apart).
constexpr std::uint32_t pixelTypeRgb16Planar = 0x52423650;

struct DecodeJob {
  std::uint32_t version = 1;  // layout version of this record
  std::uint32_t size = static_cast<std::uint32_t>(sizeof(DecodeJob));
  std::uint32_t mode = 0;          // four-character decode mode
  std::uint32_t pixelType = 0;     // four-character pixel type
  void* outputBuffer = nullptr;    // where the library writes the frame; owned by the caller
  std::uint32_t bytesPerRow = 0;   // distance of two rows of one plane, in bytes
  std::uint32_t outputBufferSize = 0;  // bytes available at outputBuffer
  std::uint32_t reserved1 = 0;
  std::uint32_t reserved2 = 0;
  // Optional image-processing settings of the library; null means the
  // clip's own. Stereolint never sets it.
  void* imageProcessingSettings = nullptr;
};

static_assert(offsetof(DecodeJob, outputBuffer) == 16, "four words lead the request");
static_assert(sizeof(void*) != 8 || sizeof(DecodeJob) == 48,
              "with 64-bit pointers the request takes 48 bytes");
static_assert(sizeof(void*) != 4 || sizeof(DecodeJob) == 40,
              "with 32-bit pointers the request takes 40 bytes");

// A request for one whole frame at full resolution as 16-bit planar RGB into
// `buffer`, which must hold width x height x 6 bytes: bytes per row width x 2,
// buffer size width x height x 6, everything else as in a new request.
inline DecodeJob planarRgb16Request(void* buffer, std::uint32_t width, std::uint32_t height) {
  DecodeJob job;
  job.mode = decodeModeFullPremium;
  job.pixelType = pixelTypeRgb16Planar;
  job.outputBuffer = buffer;
  job.bytesPerRow = width * 2;
  job.outputBufferSize = width * height * 6;
  return job;
}

}  // namespace stereolint
