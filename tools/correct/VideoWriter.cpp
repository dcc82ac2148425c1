#include "tools/correct/VideoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "sources/LibavHandles.h"

namespace stereolint::correct {

namespace {

using libav::errorText;

// FFV1 keeps RGB as it is: 8-bit packed (blue, green, red, unused), deeper
// planar; and planes in their own layout. ProRes and H.264 carry Y'CbCr.
AVPixelFormat encoderFormat(const VideoSettings& settings) {
  switch (settings.codec) {
    case VideoCodec::Ffv1:
      if (settings.planes) return settings.planes->format;
      return settings.deep ? AV_PIX_FMT_GBRP16 : AV_PIX_FMT_0RGB32;
    case VideoCodec::ProRes:
      return AV_PIX_FMT_YUV422P10;
    case VideoCodec::H264:
      return AV_PIX_FMT_YUV420P;
  }
  return AV_PIX_FMT_NONE;
}

bool isYuv(VideoCodec codec) { return codec != VideoCodec::Ffv1; }

}  // namespace

VideoWriter::~VideoWriter() {
  sws_freeContext(convert);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&codec);
  if (format != nullptr && format->pb != nullptr) avio_closep(&format->pb);
  avformat_free_context(format);
}

std::optional<std::string> VideoWriter::openEncoder(const VideoSettings& settings) {
  const VideoCodecInfo& info = videoCodecInfo(settings.codec);
  const AVCodec* encoder = avcodec_find_encoder_by_name(info.encoder);
  if (encoder == nullptr)
    return std::string("FFmpeg's encoder ") + info.encoder + " is not available";
  if (avformat_query_codec(format->oformat, encoder->id, FF_COMPLIANCE_NORMAL) != 1)
    return std::string("a ") + format->oformat->long_name + " file cannot hold " + info.name +
           " video; name the output ." + info.container;
  if (settings.codec == VideoCodec::H264 &&
      (settings.size.width % 2 != 0 || settings.size.height % 2 != 0))
    return "h264 (4:2:0) needs an even width and height; the pictures are " +
           std::to_string(settings.size.width) + " x " + std::to_string(settings.size.height);
  codec = avcodec_alloc_context3(encoder);
  if (codec == nullptr) return "out of memory";
  codec->width = settings.size.width;
  codec->height = settings.size.height;
  codec->pix_fmt = encoderFormat(settings);
  codec->framerate = av_d2q(settings.rate, 100000);
  codec->time_base = av_inv_q(codec->framerate);
  codec->thread_count = settings.threads;
  if (settings.planes) {
    codec->colorspace = settings.planes->matrix;
    codec->color_primaries = settings.planes->primaries;
    codec->color_trc = settings.planes->transfer;
    codec->color_range = settings.planes->fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    codec->chroma_sample_location = settings.planes->chromaLocation;
  } else if (isYuv(settings.codec)) {
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    codec->color_range = AVCOL_RANGE_MPEG;
  }
  AVDictionary* options = nullptr;
  switch (settings.codec) {
    case VideoCodec::Ffv1:
      codec->gop_size = 1;
      codec->level = 3;
      // Slices let the encoder's threads share a frame.
      if (settings.threads > 1) av_dict_set(&options, "slices", "4", 0);
      break;
    case VideoCodec::ProRes:
      av_dict_set(&options, "profile", "hq", 0);
      break;
    case VideoCodec::H264:
      av_dict_set(&options, "crf", "16", 0);
      av_dict_set(&options, "preset", "fast", 0);
      break;
  }
  if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int code = avcodec_open2(codec, encoder, &options);
  av_dict_free(&options);
  if (code < 0)
    return std::string("the ") + info.name + " encoder refuses the pictures: " + errorText(code);
  return std::nullopt;
}

std::optional<std::string> VideoWriter::open(const std::string& path,
                                             const VideoSettings& settings) {
  const AVOutputFormat* container =
      av_guess_format(nullptr, settings.nameForContainer.c_str(), nullptr);
  if (container == nullptr ||
      avformat_alloc_output_context2(&format, container, nullptr, path.c_str()) < 0)
    return "FFmpeg knows no video file named like " + settings.nameForContainer +
           "; name it e.g. .mkv, .mov or .mp4";
  stream = avformat_new_stream(format, nullptr);
  frame = av_frame_alloc();
  packet = av_packet_alloc();
  if (stream == nullptr || frame == nullptr || packet == nullptr) return "out of memory";
  if (auto problem = openEncoder(settings)) return problem;
  avcodec_parameters_from_context(stream->codecpar, codec);
  stream->time_base = codec->time_base;
  stream->avg_frame_rate = codec->framerate;
  if (const int code = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); code < 0)
    return "cannot create " + path + ": " + errorText(code);
  if (const int code = avformat_write_header(format, nullptr); code < 0)
    return "cannot write " + path + ": " + errorText(code);
  frame->format = codec->pix_fmt;
  frame->width = settings.size.width;
  frame->height = settings.size.height;
  if (av_frame_get_buffer(frame, 0) < 0) return "out of memory";
  return openConverter(settings);
}

std::optional<std::string> VideoWriter::openConverter(const VideoSettings& settings) {
  const int width = settings.size.width;
  const int height = settings.size.height;
  if (settings.planes) {
    if (settings.planes->format == codec->pix_fmt) return std::nullopt;
    // Only the sampling and depth change; the matrix and range stay.
    convert = sws_getContext(width, height, settings.planes->format, width, height, codec->pix_fmt,
                             SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (convert == nullptr) return "the pictures cannot be converted for the encoder";
    const int* matrix = sws_getCoefficients(SWS_CS_ITU709);
    const int range = settings.planes->fullRange ? 1 : 0;
    sws_setColorspaceDetails(convert, matrix, range, matrix, range, 0, 1 << 16, 1 << 16);
    return std::nullopt;
  }
  // Point sampling keeps RGB as it is; chroma is filtered for Y'CbCr.
  const int flags =
      isYuv(settings.codec) ? SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP : SWS_POINT;
  convert = sws_getContext(width, height, settings.deep ? AV_PIX_FMT_BGR48 : AV_PIX_FMT_BGR24,
                           width, height, codec->pix_fmt, flags, nullptr, nullptr, nullptr);
  if (convert == nullptr) return "the pictures cannot be converted for the encoder";
  if (isYuv(settings.codec))
    sws_setColorspaceDetails(convert, sws_getCoefficients(SWS_CS_ITU709), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
  return std::nullopt;
}

std::optional<std::string> VideoWriter::write(const cv::Mat& picture) {
  if (av_frame_make_writable(frame) < 0) return "out of memory";
  const uint8_t* source[] = {picture.data};
  const int stride[] = {static_cast<int>(picture.step[0])};
  sws_scale(convert, source, stride, 0, picture.rows, frame->data, frame->linesize);
  return send();
}

std::optional<std::string> VideoWriter::write(const PlanarPicture& picture) {
  if (av_frame_make_writable(frame) < 0) return "out of memory";
  if (convert != nullptr) {
    const uint8_t* source[3];
    int stride[3];
    for (int p = 0; p < 3; ++p) {
      source[p] = picture.planes[p].data;
      stride[p] = static_cast<int>(picture.planes[p].step[0]);
    }
    sws_scale(convert, source, stride, 0, picture.size().height, frame->data, frame->linesize);
    return send();
  }
  for (int p = 0; p < 3; ++p) {
    const cv::Mat& plane = picture.planes[p];
    picture.planes[p].copyTo(cv::Mat(plane.size(), CV_8UC1, frame->data[p],
                                     static_cast<size_t>(frame->linesize[p])));
  }
  return send();
}

std::optional<std::string> VideoWriter::send() {
  frame->pts = count++;
  if (const int code = avcodec_send_frame(codec, frame); code < 0)
    return "the encoder refuses a picture: " + errorText(code);
  return drain();
}

std::optional<std::string> VideoWriter::drain() {
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

std::optional<std::string> VideoWriter::finish() {
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
