// Video files (MP4, MOV, MKV, AVI, MPEG-TS... whatever FFmpeg's libraries
// read) as a FrameStream.
//
// Pictures: 8-bit blue-green-red (CV_8UC3) for sources of 8 bits per
// sample, 16-bit (CV_16UC3, full range 0..65535) for deeper ones such as
// 10-bit H.265 or 12-bit ProRes; greyscale video gives three equal channels.
// Each picture has the size of its own decoded frame: a stream whose size
// changes mid-way gives pictures of the new size, which the pipeline then
// refuses.
//
// With RotationMetadata::Apply (the default), pictures are turned as players
// show them when the stream's display matrix asks for a quarter turn (phones
// write one for portrait takes); remarks() then says so, and pictureSize()
// gives the turned size. With RotationMetadata::Ignore they are taken as
// stored, and nothing is remarked.
//
// Frames are numbered 1, 2, 3... in display order. A frame count the
// container holds itself (an MP4 sample table, an AVI index) is exact
// (countIsExact), so a file cut short ends early by it; a count from the
// duration is only an estimate, and reading goes on until the file ends. A
// file that cannot be read or decoded further fails the read with FFmpeg's
// reason (": Input/output error"); a damaged packet the codec refuses is
// left out.
//
// Buffers: read() writes into `out.picture`'s own buffer when it has the
// size and type and nobody else shares it; a picture the caller keeps (a
// copy of the cv::Mat header counts) is never written over.
//
// FFmpeg logs nothing unless STEREOLINT_FFMPEG_LOG holds its log level (see
// libav::settleLogLevel).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sources/FrameStream.h"
#include "util/Expected.h"

struct AVFrame;

namespace stereolint {

class VideoStream : public FrameStream {
 public:
  // Moves so that the next read() gives frame `frameNumber` (1-based): to
  // the key frame at or before it, then decoding up to it. Frames are
  // placed by their timestamps and the declared frame rate. False when the
  // file cannot seek or has no frame rate, or the stream ends before
  // `frameNumber`; reading then goes on from wherever the stream stands
  // (which may be its end).
  virtual bool seekTo(std::int64_t frameNumber) = 0;

  // True when read() turns the pictures as the rotation metadata asks: the
  // decoded frames are then not the pictures read() gives.
  virtual bool turnsPictures() const = 0;

  // Reads the next frame without making a picture of it: `out.number`
  // numbers it as read() would and `out.picture` is left empty; the frame
  // itself, in the codec's own layout (e.g. Y'CbCr 4:2:0 planes), is
  // decodedFrame() until the next read, skip or seek. Lets a caller that
  // works in the codec's layout skip the conversion to blue-green-red.
  virtual StreamRead readDecoded(StreamPicture& out) = 0;

  // The frame the decoder gave last, as stored (never turned): after
  // opening, the first frame, waiting to be read.
  virtual const AVFrame& decodedFrame() const = 0;
};

enum class RotationMetadata {
  Apply,   // pictures turned as players show them
  Ignore,  // pictures as stored
};

// Opens a video file; the stream is a VideoStream (for seekTo). Failures,
// in words for the user, of the topic "input":
//   "Cannot open the video PATH: <FFmpeg's reason>"  (missing, unreadable,
//                                                    empty, not a video)
//   "PATH holds no video stream"                     (audio only)
//   "The video PATH reports no frames"               (no count, no frame)
//   "Cannot decode the video PATH: FFmpeg has no decoder for CODEC"
Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path,
                                                       RotationMetadata rotation);

// The same, with the rotation metadata applied.
Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path);

}  // namespace stereolint
