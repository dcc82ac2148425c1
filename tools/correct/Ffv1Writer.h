// A lossless video file written with FFmpeg's libraries: FFV1 (level 3,
// every frame a key frame) in Matroska, RGB of 8 or 16 bits.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace stereolint::correct {

class Ffv1Writer {
 public:
  Ffv1Writer() = default;
  ~Ffv1Writer();
  Ffv1Writer(const Ffv1Writer&) = delete;
  Ffv1Writer& operator=(const Ffv1Writer&) = delete;

  // Creates `path` for pictures of `size`, three channels (blue, green, red)
  // of 8 bits, or 16 with `deep`, at `rate` frames per second. What went
  // wrong, or nothing.
  std::optional<std::string> open(const std::string& path, cv::Size size, bool deep, double rate);
  // Adds the next picture (the size and depth given to open()).
  std::optional<std::string> write(const cv::Mat& picture);
  // Writes what the encoder holds and closes the file.
  std::optional<std::string> finish();

 private:
  std::optional<std::string> drain();

  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;
  bool deep = false;
  long long count = 0;
};

}  // namespace stereolint::correct
