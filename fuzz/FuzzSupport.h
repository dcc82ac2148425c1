// What the fuzz targets share: cutting one input into several texts, and
// stopping with a message when a property of the code under test fails, so
// that libFuzzer keeps the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace stereolint::fuzz {

// The pieces of the input between `separator` bytes, in order; n separators
// give n + 1 pieces, so an empty input is one empty piece.
inline std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size,
                                           char separator) {
  std::vector<std::string> pieces(1);
  for (std::size_t i = 0; i < size; ++i) {
    const char byte = static_cast<char>(data[i]);
    if (byte == separator) {
      pieces.emplace_back();
    } else {
      pieces.back() += byte;
    }
  }
  return pieces;
}

// Aborts, naming the property, when `holds` is false.
inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property failed: %s\n", property);
  std::abort();
}

}  // namespace stereolint::fuzz
