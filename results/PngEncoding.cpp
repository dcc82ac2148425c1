#include "results/PngEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <opencv2/imgcodecs.hpp>

namespace stereolint {

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr unsigned char kSubFilter = 1;
// PNG allows chunks of up to 2^31 - 1 bytes; the compressed pixels are cut
// into IDAT chunks of at most this many.
constexpr size_t kLargestChunk = size_t{1} << 30;
// Larger pictures take the image library's writer (ISA-L counts in 32 bits).
constexpr size_t kLargestOwnPicture = size_t{1} << 31;
// Filtered rows are handed to the compressor in bands of about this size.
constexpr size_t kBandBytes = size_t{1} << 20;

// PNG's colour types.
constexpr unsigned char kGrey = 0, kTruecolour = 2, kTruecolourAlpha = 6;

void putWord(std::vector<unsigned char>& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes.push_back(static_cast<unsigned char>(value >> shift));
  }
}

void appendChunk(std::vector<unsigned char>& bytes, const char* type, const unsigned char* data,
                 size_t size) {
  putWord(bytes, static_cast<std::uint32_t>(size));
  const size_t start = bytes.size();
  bytes.insert(bytes.end(), type, type + 4);
  if (size > 0) bytes.insert(bytes.end(), data, data + size);
  // The checksum covers the chunk's type and data.
  putWord(bytes, crc32_gzip_refl(0, bytes.data() + start, size + 4));
}

// The channel of the matrix that holds PNG channel `c`: PNG puts red first
// where the image library puts blue first.
int sourceChannel(int c, int channels) { return channels >= 3 && c != 1 && c != 3 ? 2 - c : c; }

// Row `y` of the picture in PNG's sample order and byte order (16-bit
// samples most significant byte first), without its filter byte.
void pngRow(const cv::Mat& picture, int y, unsigned char* out) {
  const int channels = picture.channels();
  const size_t samples = static_cast<size_t>(picture.cols) * static_cast<size_t>(channels);
  int order[4] = {0, 1, 2, 3};
  for (int c = 0; c < channels; ++c) order[c] = sourceChannel(c, channels);
  if (picture.depth() == CV_8U) {
    const unsigned char* in = picture.ptr<unsigned char>(y);
    if (channels == 1) {
      std::memcpy(out, in, samples);
      return;
    }
    for (size_t pixel = 0; pixel < samples; pixel += static_cast<size_t>(channels)) {
      for (int c = 0; c < channels; ++c) out[pixel + c] = in[pixel + order[c]];
    }
    return;
  }
  const std::uint16_t* in = picture.ptr<std::uint16_t>(y);
  for (size_t pixel = 0; pixel < samples; pixel += static_cast<size_t>(channels)) {
    for (int c = 0; c < channels; ++c) {
      const std::uint16_t value = in[pixel + order[c]];
      out[2 * (pixel + c)] = static_cast<unsigned char>(value >> 8);
      out[2 * (pixel + c) + 1] = static_cast<unsigned char>(value & 0xff);
    }
  }
}

// Row `y` behind its filter byte, filtered with "Sub": each byte less the
// byte one pixel to its left (bytes of the first pixel stay as they are).
void filteredRow(const cv::Mat& picture, int y, unsigned char* row) {
  const size_t pixelBytes = picture.elemSize();
  const size_t rowBytes = static_cast<size_t>(picture.cols) * pixelBytes;
  row[0] = kSubFilter;
  unsigned char* samples = row + 1;
  pngRow(picture, y, samples);
  // From the right, so that each byte is taken from its unfiltered neighbour.
  for (size_t i = rowBytes; i-- > pixelBytes;) {
    samples[i] = static_cast<unsigned char>(samples[i] - samples[i - pixelBytes]);
  }
}

// The zlib stream of the filtered rows, compressed at ISA-L's level 1 a
// band of rows at a time, so that no filtered copy of the whole picture is
// held: memory grows only with the compressed bytes. False when the
// library refuses, which it does not for its own level buffer.
bool zlibStream(const cv::Mat& picture, std::vector<unsigned char>& out) {
  isal_zstream stream;
  isal_deflate_init(&stream);
  std::vector<unsigned char> levelBuffer(ISAL_DEF_LVL1_DEFAULT);
  stream.level = 1;
  stream.level_buf = levelBuffer.data();
  stream.level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
  stream.gzip_flag = IGZIP_ZLIB;

  const size_t rowBytes = static_cast<size_t>(picture.cols) * picture.elemSize() + 1;
  const int bandRows = static_cast<int>(std::max<size_t>(1, kBandBytes / rowBytes));
  std::vector<unsigned char> band(rowBytes * static_cast<size_t>(bandRows));
  out.assign(kBandBytes, 0);
  size_t written = 0;
  for (int top = 0; top < picture.rows; top += bandRows) {
    const int count = std::min(bandRows, picture.rows - top);
    for (int r = 0; r < count; ++r) {
      filteredRow(picture, top + r, band.data() + rowBytes * static_cast<size_t>(r));
    }
    stream.next_in = band.data();
    // encodePng hands pictures of 2 GiB and more to the image library, so
    // the library's 32-bit counts hold every size met here.
    stream.avail_in = static_cast<std::uint32_t>(rowBytes * static_cast<size_t>(count));
    stream.end_of_stream = top + count >= picture.rows ? 1 : 0;
    // The library keeps the history it needs, so the band's buffer is
    // free for the next rows once all its bytes are taken.
    do {
      if (written == out.size()) out.resize(2 * out.size());
      stream.next_out = out.data() + written;
      stream.avail_out = static_cast<std::uint32_t>(out.size() - written);
      if (isal_deflate(&stream) != COMP_OK) return false;
      written = out.size() - stream.avail_out;
    } while (stream.avail_in > 0 ||
             (stream.end_of_stream != 0 && stream.internal_state.state != ZSTATE_END));
  }
  out.resize(written);
  return true;
}

bool encodeOwn(const cv::Mat& picture, std::vector<unsigned char>& bytes) {
  std::vector<unsigned char> stream;
  if (!zlibStream(picture, stream)) return false;

  const int channels = picture.channels();
  std::vector<unsigned char> header;
  putWord(header, static_cast<std::uint32_t>(picture.cols));
  putWord(header, static_cast<std::uint32_t>(picture.rows));
  header.push_back(picture.depth() == CV_16U ? 16 : 8);
  header.push_back(channels == 1 ? kGrey : channels == 3 ? kTruecolour : kTruecolourAlpha);
  header.insert(header.end(), {0, 0, 0});  // deflate, adaptive filtering, no interlace

  bytes.clear();
  bytes.reserve(stream.size() + 128);
  bytes.insert(bytes.end(), std::begin(kSignature), std::end(kSignature));
  appendChunk(bytes, "IHDR", header.data(), header.size());
  for (size_t at = 0; at < stream.size(); at += kLargestChunk) {
    appendChunk(bytes, "IDAT", stream.data() + at, std::min(kLargestChunk, stream.size() - at));
  }
  appendChunk(bytes, "IEND", nullptr, 0);
  return true;
}

}  // namespace

bool encodePng(const cv::Mat& picture, std::vector<unsigned char>& bytes) {
  const int channels = picture.channels();
  const bool own = !picture.empty() && (picture.depth() == CV_8U || picture.depth() == CV_16U) &&
                   (channels == 1 || channels == 3 || channels == 4) &&
                   picture.total() * picture.elemSize() < kLargestOwnPicture;
  if (own) return encodeOwn(picture, bytes);
  try {
    return cv::imencode(".png", picture, bytes);
  } catch (const cv::Exception&) {
    // The library throws rather than declines for some pictures (an empty
    // matrix, two channels); for the caller that is a picture PNG cannot hold.
    return false;
  }
}

}  // namespace stereolint
