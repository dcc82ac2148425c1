#include "report/Base64.h"

namespace stereolint::report {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string base64Encode(const std::uint8_t* data, size_t size) {
  std::string text;
  text.reserve((size + 2) / 3 * 4);
  for (size_t i = 0; i < size; i += 3) {
    const unsigned a = data[i];
    const unsigned b = i + 1 < size ? data[i + 1] : 0u;
    const unsigned c = i + 2 < size ? data[i + 2] : 0u;
    const unsigned group = (a << 16) | (b << 8) | c;
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += i + 1 < size ? kAlphabet[(group >> 6) & 63] : '=';
    text += i + 2 < size ? kAlphabet[group & 63] : '=';
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
    if (padding == 1 && text[i + 2] == '=') return std::nullopt;
    unsigned group = 0;
    for (int k = 0; k < 4; ++k) {
      const int value = k >= 4 - padding ? 0 : digitValue(text[i + static_cast<size_t>(k)]);
      if (value < 0) return std::nullopt;
      group = (group << 6) | static_cast<unsigned>(value);
    }
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (padding < 2) bytes.push_back(static_cast<std::uint8_t>((group >> 8) & 255));
    if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group & 255));
  }
  return bytes;
}

}  // namespace stereolint::report
