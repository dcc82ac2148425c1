// A video file written with FFmpeg's libraries in one of the codecs of
// VideoCodecs.h, the container told by the file name's extension (.mkv,
// .mov, .mp4, ...): every frame a key frame for FFV1 and ProRes; constant
// frame rate.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>

#include "tools/correct/PlanarPicture.h"
#include "tools/correct/VideoCodecs.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace stereolint::correct {

struct VideoSettings {
  VideoCodec codec = VideoCodec::Ffv1;
  cv::Size size;                 // of the pictures, pixels
  bool deep = false;             // 16-bit pictures rather than 8-bit
  double rate = 24;              // frames per second
  int threads = 1;               // the encoder's threads
  std::string nameForContainer;  // the path whose extension tells the container
  // Set when the pictures come as planes of this layout: FFV1 then keeps
  // it, the other codecs take their own from it, and the colour tags are
  // the source's.
  std::optional<PlanarLayout> planes;
};

class VideoWriter {
 public:
  VideoWriter() = default;
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Creates `path` for pictures of three channels (blue, green, red) as
  // `settings` describe them. What went wrong, or nothing: a container
  // the extension does not name or that cannot hold the codec, a size the
  // codec refuses, a file that cannot be created.
  std::optional<std::string> open(const std::string& path, const VideoSettings& settings);
  // Adds the next picture (the size and depth given to open()).
  std::optional<std::string> write(const cv::Mat& picture);
  // Adds the next picture given as planes (of the layout given to open()).
  std::optional<std::string> write(const PlanarPicture& picture);
  // Writes what the encoder holds and closes the file.
  std::optional<std::string> finish();

 private:
  std::optional<std::string> openEncoder(const VideoSettings& settings);
  std::optional<std::string> openConverter(const VideoSettings& settings);
  std::optional<std::string> send();
  std::optional<std::string> drain();

  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;  // none when planes go to the encoder as they are
  long long count = 0;
};

}  // namespace stereolint::correct
