#include "results/PngEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <opencv2/imgcodecs.hpp>

namespace stereolint {

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr unsigned char kSubFilter = 1;
// The compressed pixels go out in IDAT chunks of this many bytes (the last
// one shorter), each as soon as it is full.
constexpr size_t kChunkBytes = size_t{1} << 20;
// Larger pictures take the image library's writer (ISA-L counts in 32 bits).
constexpr size_t kLargestOwnPicture = size_t{1} << 31;
// Filtered rows are handed to the compressor in bands of about this size.
constexpr size_t kBandBytes = size_t{1} << 20;

// PNG's colour types.
constexpr unsigned char kGrey = 0, kTruecolour = 2, kTruecolourAlpha = 6;

void putWord(unsigned char* at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<unsigned char>(value >> (24 - 8 * k));
}

// Hands the chunk `type` holding `data` to the sink: length, type, data and
// the checksum of type and data.
bool sendChunk(const PngSink& sink, const char* type, const unsigned char* data, size_t size) {
  unsigned char head[8];
  putWord(head, static_cast<std::uint32_t>(size));
  std::memcpy(head + 4, type, 4);
  unsigned char tail[4];
  const std::uint32_t typeCrc = crc32_gzip_refl(0, head + 4, 4);
  putWord(tail, size > 0 ? crc32_gzip_refl(typeCrc, data, size) : typeCrc);
  return sink(head, sizeof head) && (size == 0 || sink(data, size)) && sink(tail, sizeof tail);
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

// The zlib stream of the filtered rows, compressed a band of rows at a time
// and sent in IDAT chunks as they fill, so that neither a filtered copy of
// the picture nor its compressed bytes are held whole. False when the sink
// refuses bytes or the library refuses, which it does not for its own level
// buffer.
//
// ISA-L's level 3: its levels 1 and 2 choose matches differently depending
// on where in memory the compressor's state lies, so one picture could give
// different files from run to run. Level 3 gives the same bytes wherever it
// lies. The state (80 KB) is on the heap rather than a worker's stack.
bool sendPixels(const cv::Mat& picture, const PngSink& sink) {
  const auto stream = std::make_unique<isal_zstream>();
  isal_deflate_init(stream.get());
  std::vector<unsigned char> levelBuffer(ISAL_DEF_LVL3_DEFAULT);
  stream->level = 3;
  stream->level_buf = levelBuffer.data();
  stream->level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
  stream->gzip_flag = IGZIP_ZLIB;

  const size_t rowBytes = static_cast<size_t>(picture.cols) * picture.elemSize() + 1;
  const int bandRows = static_cast<int>(
      std::min<size_t>(picture.rows, std::max<size_t>(1, kBandBytes / rowBytes)));
  std::vector<unsigned char> band(rowBytes * static_cast<size_t>(bandRows));
  std::vector<unsigned char> chunk(kChunkBytes);
  stream->next_out = chunk.data();
  stream->avail_out = static_cast<std::uint32_t>(chunk.size());
  for (int top = 0; top < picture.rows; top += bandRows) {
    const int count = std::min(bandRows, picture.rows - top);
    for (int r = 0; r < count; ++r) {
      filteredRow(picture, top + r, band.data() + rowBytes * static_cast<size_t>(r));
    }
    stream->next_in = band.data();
    // encodePng hands pictures of 2 GiB and more to the image library, so
    // the library's 32-bit counts hold every size met here.
    stream->avail_in = static_cast<std::uint32_t>(rowBytes * static_cast<size_t>(count));
    stream->end_of_stream = top + count >= picture.rows ? 1 : 0;
    // The library keeps the history it needs, so the band's buffer is
    // free for the next rows once all its bytes are taken.
    do {
      if (stream->avail_out == 0) {
        if (!sendChunk(sink, "IDAT", chunk.data(), chunk.size())) return false;
        stream->next_out = chunk.data();
        stream->avail_out = static_cast<std::uint32_t>(chunk.size());
      }
      if (isal_deflate(stream.get()) != COMP_OK) return false;
    } while (stream->avail_in > 0 ||
             (stream->end_of_stream != 0 && stream->internal_state.state != ZSTATE_END));
  }
  const size_t last = chunk.size() - stream->avail_out;
  return last == 0 || sendChunk(sink, "IDAT", chunk.data(), last);
}

}  // namespace

bool streamsPng(const cv::Mat& picture) {
  const int channels = picture.channels();
  return !picture.empty() && (picture.depth() == CV_8U || picture.depth() == CV_16U) &&
         (channels == 1 || channels == 3 || channels == 4) &&
         picture.total() * picture.elemSize() < kLargestOwnPicture;
}

bool streamPng(const cv::Mat& picture, const PngSink& sink) {
  if (!streamsPng(picture)) return false;
  const int channels = picture.channels();
  unsigned char header[13];
  putWord(header, static_cast<std::uint32_t>(picture.cols));
  putWord(header + 4, static_cast<std::uint32_t>(picture.rows));
  header[8] = picture.depth() == CV_16U ? 16 : 8;
  header[9] = channels == 1 ? kGrey : channels == 3 ? kTruecolour : kTruecolourAlpha;
  header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, no interlace
  return sink(kSignature, sizeof kSignature) && sendChunk(sink, "IHDR", header, sizeof header) &&
         sendPixels(picture, sink) && sendChunk(sink, "IEND", nullptr, 0);
}

bool encodePng(const cv::Mat& picture, std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (streamsPng(picture)) {
    return streamPng(picture, [&bytes](const unsigned char* data, size_t size) {
      bytes.insert(bytes.end(), data, data + size);
      return true;
    });
  }
  try {
    return cv::imencode(".png", picture, bytes);
  } catch (const cv::Exception&) {
    // The library throws rather than declines for some pictures (an empty
    // matrix, two channels); for the caller that is a picture PNG cannot hold.
    return false;
  }
}

}  // namespace stereolint
