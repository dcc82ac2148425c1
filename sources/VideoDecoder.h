// The video stream of one file, demuxed and decoded frame by frame with
// FFmpeg's libraries: the frames as the codec gives them, before any
// conversion.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sources/LibavHandles.h"
#include "util/Expected.h"

namespace stereolint::libav {

class VideoDecoder {
 public:
  enum class Outcome {
    Frame,   // frame() holds the next frame
    End,     // the stream has no more frames
    Failed,  // the file cannot be read further; reason() says why
  };

  // Opens the best video stream of `path` and its decoder, which decodes
  // with as many threads as the machine has cores (the frames and their
  // order are the same with any number). Failures, in words for the user:
  //   "Cannot open the video PATH: <FFmpeg's reason>"   (missing, not a
  //                                                     video, empty...)
  //   "PATH holds no video stream"                      (audio only...)
  //   "Cannot decode the video PATH: FFmpeg has no decoder for CODEC"
  static Expected<std::unique_ptr<VideoDecoder>> open(const std::string& path);

  // Decodes the next frame of the stream, in display order. A damaged
  // packet the codec refuses is left out; reading ends at the end of the
  // file, or fails when the file cannot be read or decoded further (after
  // the frames still held by the codec have come out).
  Outcome next();

  // The frame the last next() gave; valid until the following call.
  const AVFrame& frame() const { return *decoded; }

  // FFmpeg's words for what stopped a Failed read, e.g. "Input/output error".
  const std::string& reason() const { return failure; }

  const AVFormatContext& format() const { return *file; }
  const AVStream& stream() const { return *file->streams[streamIndex]; }

  // Moves to the key frame at or before `timestamp` (in the stream's time
  // base) and forgets what the codec holds, so next() decodes from there.
  // False when the file cannot seek; the position is then unchanged.
  bool seekBefore(std::int64_t timestamp);

  // The timestamp of the key frame at or before `timestamp` in the file's
  // own index (a container's table of key frames), or nothing when the file
  // has no index entry there: where seekBefore would land without reading
  // the file.
  std::optional<std::int64_t> keyFrameAtOrBefore(std::int64_t timestamp) const;

 private:
  VideoDecoder() = default;

  // Gives the codec its next packet of the stream, or the end of the
  // stream when the file has none left. False when nothing more can come.
  bool feed();

  FormatHandle file;
  CodecHandle codec;
  PacketHandle packet;
  FrameHandle decoded;
  int streamIndex = -1;
  bool draining = false;  // the file is read to its end; the codec empties
  std::string failure;    // why reading the file stopped early, if it did
};

}  // namespace stereolint::libav
