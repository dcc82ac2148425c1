#include "tools/correct/PictureFormat.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "results/ViewPixels.h"
#include "sources/LibavHandles.h"
#include "util/Paths.h"

namespace stereolint::correct {

namespace {

std::vector<char> headerOf(const std::string& path, size_t size) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes(size);
  file.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<size_t>(file.gcount()));
  return bytes;
}

// The bit size of a DPX file's first image element (byte 803 of the header).
std::optional<int> dpxBits(const std::string& path) {
  const std::vector<char> header = headerOf(path, 804);
  if (header.size() < 804) return std::nullopt;
  const int bits = static_cast<unsigned char>(header[803]);
  if (bits != 8 && bits != 10 && bits != 12 && bits != 16) return std::nullopt;
  return bits;
}

// Whether every channel of an EXR file is half float: its header's
// "channels" attribute lists each channel's name and pixel type (0 unsigned
// int, 1 half, 2 float).
bool exrIsHalf(const std::string& path) {
  const std::vector<char> header = headerOf(path, 65536);
  size_t at = 8;  // after the magic number and the version
  const auto text = [&]() {
    std::string word;
    while (at < header.size() && header[at] != '\0') word += header[at++];
    ++at;
    return word;
  };
  while (at < header.size()) {
    const std::string name = text();
    if (name.empty()) break;
    const std::string type = text();
    if (at + 4 > header.size()) break;
    std::int32_t size = 0;
    std::memcpy(&size, &header[at], 4);
    at += 4;
    if (name == "channels" && type == "chlist") {
      const size_t end = std::min(header.size(), at + static_cast<size_t>(std::max(size, 0)));
      bool half = true;
      while (at < end && header[at] != '\0') {
        text();
        std::int32_t pixelType = 0;
        if (at + 16 > end) break;
        std::memcpy(&pixelType, &header[at], 4);
        half = half && pixelType == 1;
        at += 16;
      }
      return half;
    }
    at += static_cast<size_t>(std::max(size, 0));
  }
  return false;
}

// Fills `frame` (planar green, blue, red of `bits` bits, or packed RGB of
// 8 or 16 bits) from a blue-green-red picture of 8 or 16 bits; 10 and 12
// bits are rounded from the 16-bit samples.
void fillDpxFrame(const cv::Mat& picture, int bits, AVFrame* frame) {
  for (int y = 0; y < picture.rows; ++y) {
    if (bits == 8) {
      const cv::Vec3b* in = picture.ptr<cv::Vec3b>(y);
      uint8_t* out = frame->data[0] + y * frame->linesize[0];
      for (int x = 0; x < picture.cols; ++x)
        for (int c = 0; c < 3; ++c) out[3 * x + c] = in[x][2 - c];
    } else if (bits == 16) {
      const cv::Vec3w* in = picture.ptr<cv::Vec3w>(y);
      auto* out = reinterpret_cast<uint16_t*>(frame->data[0] + y * frame->linesize[0]);
      for (int x = 0; x < picture.cols; ++x)
        for (int c = 0; c < 3; ++c) out[3 * x + c] = in[x][2 - c];
    } else {
      const double scale = ((1 << bits) - 1) / 65535.0;
      const cv::Vec3w* in = picture.ptr<cv::Vec3w>(y);
      // Planes: green, blue, red.
      const int order[3] = {1, 0, 2};
      for (int p = 0; p < 3; ++p) {
        auto* out = reinterpret_cast<uint16_t*>(frame->data[p] + y * frame->linesize[p]);
        for (int x = 0; x < picture.cols; ++x)
          out[x] = static_cast<uint16_t>(std::lround(in[x][order[p]] * scale));
      }
    }
  }
}

Expected<std::vector<unsigned char>> encodeDpx(const cv::Mat& picture, int bits) {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_DPX);
  const libav::CodecHandle context(encoder != nullptr ? avcodec_alloc_context3(encoder) : nullptr);
  const libav::FrameHandle frame(av_frame_alloc());
  const libav::PacketHandle packet(av_packet_alloc());
  if (!context || !frame || !packet) return Failure{"FFmpeg's DPX encoder is not available"};
  context->width = picture.cols;
  context->height = picture.rows;
  context->time_base = {1, 24};
  context->pix_fmt = bits == 8    ? AV_PIX_FMT_RGB24
                     : bits == 16 ? AV_PIX_FMT_RGB48LE
                     : bits == 10 ? AV_PIX_FMT_GBRP10LE
                                  : AV_PIX_FMT_GBRP12LE;
  if (avcodec_open2(context.get(), encoder, nullptr) < 0)
    return Failure{"FFmpeg's DPX encoder refuses " + std::to_string(bits) + "-bit pictures"};
  frame->format = context->pix_fmt;
  frame->width = picture.cols;
  frame->height = picture.rows;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return Failure{"out of memory"};
  cv::Mat samples = picture;
  if (bits > 8 && picture.depth() != CV_16U) picture.convertTo(samples, CV_16U, 257);
  if (bits == 8 && picture.depth() != CV_8U) picture.convertTo(samples, CV_8U, 1 / 257.0);
  fillDpxFrame(samples, bits, frame.get());
  if (avcodec_send_frame(context.get(), frame.get()) < 0 ||
      avcodec_receive_packet(context.get(), packet.get()) < 0)
    return Failure{"FFmpeg's DPX encoder fails"};
  return std::vector<unsigned char>(packet->data, packet->data + packet->size);
}

}  // namespace

Expected<PictureFormat> pictureFormatOf(const std::string& path, const cv::Mat& decoded) {
  PictureFormat format;
  format.extension = fileExtension(path);
  format.bits = decoded.depth() == CV_16U ? 16 : 8;
  if (format.extension == "DPX") {
    const std::optional<int> bits = dpxBits(path);
    if (!bits) return Failure{path + ": the DPX header gives no bit depth of 8, 10, 12 or 16"};
    format.bits = *bits;
  } else if (format.extension == "EXR") {
    format.half = exrIsHalf(path);
  } else if (format.extension == "JPG" || format.extension == "JPEG" || format.extension == "BMP") {
    format.bits = 8;
  }
  return format;
}

Expected<cv::Mat> workingPicture(const std::string& path, const PictureFormat& format,
                                 const cv::Mat& decoded) {
  cv::Mat picture = decoded;
  if (format.isFloat()) {
    picture = cv::imread(path, cv::IMREAD_UNCHANGED);
    if (picture.empty()) return Failure{"cannot read the float samples of " + path};
    picture.convertTo(picture, CV_32F);
  }
  picture = toThreeChannels(picture);
  if (!format.isFloat() && format.bits == 8 && picture.depth() != CV_8U)
    picture.convertTo(picture, CV_8U, 1 / 257.0);
  return picture;
}

Expected<std::vector<unsigned char>> encodePicture(const cv::Mat& picture,
                                                   const PictureFormat& format) {
  if (format.extension == "DPX") return encodeDpx(picture, format.bits);
  std::vector<int> parameters;
  if (format.isFloat())
    parameters = {cv::IMWRITE_EXR_TYPE,
                  format.half ? cv::IMWRITE_EXR_TYPE_HALF : cv::IMWRITE_EXR_TYPE_FLOAT};
  if (format.extension == "JPG" || format.extension == "JPEG")
    parameters = {cv::IMWRITE_JPEG_QUALITY, 95};
  std::vector<unsigned char> bytes;
  try {
    if (cv::imencode("." + format.extension, picture, bytes, parameters)) return bytes;
  } catch (const cv::Exception& problem) {
    return Failure{"the image library cannot write ." + format.extension +
                   " pictures: " + problem.msg};
  }
  return Failure{"the image library cannot write ." + format.extension + " pictures"};
}

}  // namespace stereolint::correct
