#include "sources/PictureLibav.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
}

#include "sources/LibavHandles.h"
#include "sources/PictureDepth.h"

namespace stereolint {

namespace {


Failure refused(const std::string& path, const std::string& why) {
  return Failure{"Cannot read the image " + path + ": " + why, "input"};
}

// The whole file, followed by the zeroed padding that libavcodec's readers
// may touch past the end of their input.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  if (size < 0) return false;
  bytes.assign(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  file.seekg(0);
  return static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

// Checks the start of a DPX header: its magic number, which also tells
// the byte order, and the picture size at bytes 772-779. The decoder would
// complain on standard error about a size of zero before refusing it.
std::string dpxHeaderProblem(const std::vector<std::uint8_t>& bytes, size_t size) {
  constexpr size_t kSizeEnd = 780;
  if (size < 4) return "it is no DPX file";
  const std::string magic(bytes.begin(), bytes.begin() + 4);
  if (magic != "SDPX" && magic != "XPDS") return "it is no DPX file";
  if (size < kSizeEnd) return "the file is truncated";
  const bool bigEndian = magic == "SDPX";
  auto word = [&](size_t at) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
      const std::uint32_t byte = bytes[at + (bigEndian ? i : 3 - i)];
      value = value << 8 | byte;
    }
    return value;
  };
  if (word(772) == 0 || word(776) == 0) return "its header gives no picture size";
  return {};
}

Expected<libav::FrameHandle> decodeBytes(std::vector<std::uint8_t>& bytes,
                                         const std::string& path) {
  const size_t size = bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE;
  const std::string problem = dpxHeaderProblem(bytes, size);
  if (!problem.empty()) return refused(path, problem);
  if (size > static_cast<size_t>(INT_MAX)) return refused(path, "the file is too large");
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DPX);
  if (codec == nullptr) return refused(path, "FFmpeg has no DPX decoder");
  libav::CodecHandle context(avcodec_alloc_context3(codec));
  libav::PacketHandle packet(av_packet_alloc());
  libav::FrameHandle frame(av_frame_alloc());
  if (!context || !packet || !frame) return refused(path, "out of memory");
  // The decoder's complaints about a damaged file would go to standard
  // error; its refusal comes back as a failure instead. The offset lifts
  // every message of this context above the most detailed log level.
  context->log_level_offset = 2 * AV_LOG_TRACE;
  int code = avcodec_open2(context.get(), codec, nullptr);
  if (code < 0) return refused(path, "FFmpeg's DPX decoder does not start (" + libav::errorText(code) + ")");
  packet->data = bytes.data();
  packet->size = static_cast<int>(size);
  code = avcodec_send_packet(context.get(), packet.get());
  if (code >= 0) code = avcodec_receive_frame(context.get(), frame.get());
  if (code == AVERROR(EAGAIN)) {
    avcodec_send_packet(context.get(), nullptr);
    code = avcodec_receive_frame(context.get(), frame.get());
  }
  if (code < 0) return refused(path, "FFmpeg's DPX decoder refuses it (" + libav::errorText(code) + ")");
  return Expected<libav::FrameHandle>(std::move(frame));
}

// Copies component `component` of the frame (libavutil's order: red,
// green, blue, alpha, or grey) into channel `channel` of a CV_16U picture.
// Little-endian samples in whole bytes, what the DPX decoder gives, are
// read directly; anything else through libavutil's general line reader,
// which is several times slower.
void copyComponent(const AVFrame& frame, const AVPixFmtDescriptor& layout, int component,
                   cv::Mat& picture, int channel) {
  const AVComponentDescriptor& part = layout.comp[component];
  const int channels = picture.channels();
  const bool direct = (layout.flags & (AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_BITSTREAM)) == 0 &&
                      part.depth + part.shift <= 16;
  if (direct) {
    const bool twoBytes = part.depth + part.shift > 8;
    const std::uint32_t mask = (1u << part.depth) - 1;
    for (int y = 0; y < frame.height; ++y) {
      const std::uint8_t* in = frame.data[part.plane] + std::ptrdiff_t(y) * frame.linesize[part.plane] + part.offset;
      auto* out = picture.ptr<std::uint16_t>(y) + channel;
      for (int x = 0; x < frame.width; ++x, in += part.step, out += channels) {
        const std::uint32_t raw = twoBytes ? std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 : in[0];
        *out = static_cast<std::uint16_t>(raw >> part.shift & mask);
      }
    }
    return;
  }
  std::vector<std::uint32_t> line(static_cast<size_t>(frame.width));
  const std::uint8_t** planes = const_cast<const std::uint8_t**>(frame.data);
  for (int y = 0; y < frame.height; ++y) {
    av_read_image_line2(line.data(), planes, frame.linesize, &layout, 0, y, component, frame.width, 0, 4);
    auto* out = picture.ptr<std::uint16_t>(y) + channel;
    for (int x = 0; x < frame.width; ++x, out += channels) *out = static_cast<std::uint16_t>(line[size_t(x)]);
  }
}

// The decoded frame's samples, component by component, in the image
// library's channel order; libavutil's line reader unpacks every bit depth,
// plane layout and byte order alike.
Expected<cv::Mat> frameToPicture(const AVFrame& frame, const std::string& path) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
  if (layout == nullptr) return refused(path, "FFmpeg gives no pixel layout for it");
  const bool rgb = (layout->flags & AV_PIX_FMT_FLAG_RGB) != 0;
  const bool grey = !rgb && layout->nb_components <= 2;
  if ((!rgb && !grey) || (layout->flags & AV_PIX_FMT_FLAG_PAL) != 0) {
    return refused(path, std::string("its pixel layout ") + layout->name + " is not supported");
  }
  // Grey with alpha keeps its grey only; colour keeps its alpha.
  const int channels = grey ? 1 : layout->nb_components;
  const int bits = layout->comp[0].depth;
  const int target[4] = {grey ? 0 : 2, 1, 0, 3};
  cv::Mat picture(frame.height, frame.width, CV_16UC(channels));
  for (int c = 0; c < channels; ++c) copyComponent(frame, *layout, c, picture, target[c]);
  if (bits <= 8) {
    cv::Mat eight;
    picture.convertTo(eight, CV_8U);
    return eight;
  }
  return scaleToSixteenBits(picture, bits);
}

}  // namespace

Expected<cv::Mat> decodeDpxFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(path, bytes)) return Failure{"Cannot read the image " + path, "input"};
  Expected<libav::FrameHandle> frame = decodeBytes(bytes, path);
  if (!frame) return frame.failure();
  return frameToPicture(**frame, path);
}

}  // namespace stereolint
