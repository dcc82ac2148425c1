#include "sources/TruncatedImage.h"

#include <cstdint>
#include <fstream>

namespace stereolint {

namespace {

// A file read byte by byte through its stream buffer, which keeps the memory
// used small however large the file is.
class ByteReader {
 public:
  explicit ByteReader(const std::string& path) : file(path, std::ios::binary) {
    size = file.rdbuf()->pubseekoff(0, std::ios::end, std::ios::in);
    file.rdbuf()->pubseekpos(0, std::ios::in);
  }

  bool isOpen() const { return file.is_open() && size >= 0; }

  // The next byte (0 to 255), or -1 at the end of the file.
  int next() {
    const auto c = file.rdbuf()->sbumpc();
    return c == std::char_traits<char>::eof() ? -1 : c;
  }

  // The next `count` bytes as one big-endian number, or -1 when the file
  // ends first.
  std::int64_t number(int count) {
    std::int64_t value = 0;
    for (int i = 0; i < count; ++i) {
      const int c = next();
      if (c < 0) return -1;
      value = value << 8 | c;
    }
    return value;
  }

  // Skips `count` bytes; false when that passes the end of the file.
  bool skip(std::int64_t count) {
    const std::streamoff at = file.rdbuf()->pubseekoff(count, std::ios::cur, std::ios::in);
    return at >= 0 && at <= size;
  }

 private:
  std::ifstream file;
  std::streamoff size = -1;
};

constexpr int kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::int64_t kPngEnd = 0x49454E44;  // "IEND"
constexpr std::int64_t kPngLargestChunk = 0x7FFFFFFF;

// After the signature: chunks of a 4-byte length, a 4-byte type, the data
// and a 4-byte checksum, up to IEND.
bool pngEndsEarly(ByteReader& bytes) {
  while (true) {
    const std::int64_t length = bytes.number(4);
    const std::int64_t type = bytes.number(4);
    if (length < 0 || type < 0) return true;
    if (length > kPngLargestChunk) return false;
    if (!bytes.skip(length + 4)) return true;
    if (type == kPngEnd) return false;
  }
}

constexpr int kJpegMarker = 0xFF;
constexpr int kJpegEnd = 0xD9;

// Markers that stand alone, without a length: a stuffed FF in compressed
// data (FF 00), TEM and the restart markers RST0 to RST7.
bool standsAlone(int marker) {
  return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// After the start-of-image marker: segments with a 2-byte length that counts
// itself, each scan's compressed data after its header, up to FF D9. Bytes
// outside segments (compressed data, or stray bytes the decoder would skip
// with a warning) are passed over in search of the next marker. `c` is the
// byte after the start-of-image marker.
bool jpegEndsEarly(ByteReader& bytes, int c) {
  while (true) {
    if (c < 0) return true;
    if (c != kJpegMarker) {
      c = bytes.next();
      continue;
    }
    int marker = bytes.next();
    while (marker == kJpegMarker) marker = bytes.next();  // fill bytes
    if (marker < 0) return true;
    if (marker == kJpegEnd) return false;
    if (!standsAlone(marker)) {
      const std::int64_t length = bytes.number(2);
      if (length < 0) return true;
      if (length < 2) return false;
      if (!bytes.skip(length - 2)) return true;
    }
    c = bytes.next();
  }
}

}  // namespace

bool isTruncatedImage(const std::string& path) {
  ByteReader bytes(path);
  if (!bytes.isOpen()) return false;
  const int first = bytes.next();
  const int second = bytes.next();
  if (first == 0xFF && second == 0xD8) {
    const int third = bytes.next();
    if (third < 0) return true;
    return third == kJpegMarker && jpegEndsEarly(bytes, third);
  }
  if (first != kPngSignature[0] || second != kPngSignature[1]) return false;
  for (int i = 2; i < 8; ++i) {
    if (bytes.next() != kPngSignature[i]) return false;
  }
  return pngEndsEarly(bytes);
}

}  // namespace stereolint
