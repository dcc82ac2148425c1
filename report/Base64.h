// Base64 (RFC 4648, with padding) for bytes kept in the report: frame
// signatures in the JSON document and JPEG thumbnails in the HTML page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stereolint::report {

std::string base64Encode(const std::uint8_t* data, size_t size);
inline std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
  return base64Encode(bytes.data(), bytes.size());
}
// The bytes of a padded base64 text; nothing when it is not one.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

}  // namespace stereolint::report
