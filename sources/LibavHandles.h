// Owning handles for FFmpeg's decoding objects, so every exit path of the
// video reader frees what it opened, and FFmpeg's error codes in words.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace stereolint::libav {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
  void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerHandle = std::unique_ptr<SwsContext, ScalerFreer>;

// FFmpeg's own sentence for an error code (av_strerror), e.g. "Invalid data
// found when processing input"; "error N" for a code it does not know.
std::string errorText(int code);

// Sets FFmpeg's log level for the whole process, once: quiet (nothing on
// standard error, the scaler's remarks included) unless the environment
// variable STEREOLINT_FFMPEG_LOG holds a number, which becomes the level
// (e.g. 16 for errors, 32 for FFmpeg's usual output, 48 for debugging).
// Later calls do nothing.
void settleLogLevel();

}  // namespace stereolint::libav
