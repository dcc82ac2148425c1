#include "tools/correct/Ffv1Writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libswscale/swscale.h>
}

namespace stereolint::correct {

namespace {

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

Ffv1Writer::~Ffv1Writer() {
  sws_freeContext(convert);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&codec);
  if (format != nullptr && format->pb != nullptr) avio_closep(&format->pb);
  avformat_free_context(format);
}

std::optional<std::string> Ffv1Writer::open(const std::string& path, cv::Size size, bool deepColour,
                                            double rate) {
  deep = deepColour;
  if (avformat_alloc_output_context2(&format, nullptr, "matroska", path.c_str()) < 0)
    return "Matroska files cannot be written";
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_FFV1);
  codec = encoder != nullptr ? avcodec_alloc_context3(encoder) : nullptr;
  stream = avformat_new_stream(format, nullptr);
  frame = av_frame_alloc();
  packet = av_packet_alloc();
  if (codec == nullptr || stream == nullptr || frame == nullptr || packet == nullptr)
    return "the FFV1 encoder is not available";
  codec->width = size.width;
  codec->height = size.height;
  // The encoder takes 8-bit RGB packed (blue, green, red, unused), deeper
  // RGB planar.
  codec->pix_fmt = deep ? AV_PIX_FMT_GBRP16 : AV_PIX_FMT_0RGB32;
  codec->framerate = av_d2q(rate, 100000);
  codec->time_base = av_inv_q(codec->framerate);
  codec->gop_size = 1;
  codec->level = 3;
  if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int code = avcodec_open2(codec, encoder, nullptr); code < 0)
    return "the FFV1 encoder refuses the pictures: " + errorText(code);
  avcodec_parameters_from_context(stream->codecpar, codec);
  stream->time_base = codec->time_base;
  if (const int code = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); code < 0)
    return "cannot create " + path + ": " + errorText(code);
  if (const int code = avformat_write_header(format, nullptr); code < 0)
    return "cannot write " + path + ": " + errorText(code);
  frame->format = codec->pix_fmt;
  frame->width = size.width;
  frame->height = size.height;
  if (av_frame_get_buffer(frame, 0) < 0) return "out of memory";
  convert =
      sws_getContext(size.width, size.height, deep ? AV_PIX_FMT_BGR48 : AV_PIX_FMT_BGR24,
                     size.width, size.height, codec->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
  if (convert == nullptr) return "the pictures cannot be converted for the encoder";
  return std::nullopt;
}

std::optional<std::string> Ffv1Writer::write(const cv::Mat& picture) {
  if (av_frame_make_writable(frame) < 0) return "out of memory";
  const uint8_t* source[] = {picture.data};
  const int stride[] = {static_cast<int>(picture.step[0])};
  sws_scale(convert, source, stride, 0, picture.rows, frame->data, frame->linesize);
  frame->pts = count++;
  if (const int code = avcodec_send_frame(codec, frame); code < 0)
    return "the encoder refuses a picture: " + errorText(code);
  return drain();
}

std::optional<std::string> Ffv1Writer::drain() {
  for (;;) {
    const int code = avcodec_receive_packet(codec, packet);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return std::nullopt;
    if (code < 0) return "the encoder fails: " + errorText(code);
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if (const int written = av_interleaved_write_frame(format, packet); written < 0)
      return "cannot write the video: " + errorText(written);
  }
}

std::optional<std::string> Ffv1Writer::finish() {
  if (const int code = avcodec_send_frame(codec, nullptr); code < 0)
    return "the encoder fails: " + errorText(code);
  if (auto problem = drain()) return problem;
  if (const int code = av_write_trailer(format); code < 0)
    return "cannot finish the video: " + errorText(code);
  if (const int code = avio_closep(&format->pb); code < 0)
    return "cannot close the video: " + errorText(code);
  return std::nullopt;
}

}  // namespace stereolint::correct
