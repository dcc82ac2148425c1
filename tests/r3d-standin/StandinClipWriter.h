// Writes clips in the stand-in clip format (CLIP-FORMAT.md).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace stereolint::test {

class StandinClipWriter {
 public:
  // Creates (or replaces) the file at `path`; check isGood().
  explicit StandinClipWriter(const std::string& path);

  // Appends one frame: a 16-bit picture with 3 channels in blue, green, red
  // order. The first frame sets the clip's size; a frame of another size or
  // type is refused with false.
  bool append(const cv::Mat& frame);

  // Writes the header with the final frame count and closes the file.
  // A clip without frames gets the size 1 x 1. True when everything was
  // written.
  bool finish();

  bool isGood() const { return static_cast<bool>(file); }
  std::uint32_t frameCount() const { return frames; }

 private:
  std::ofstream file;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t frames = 0;
};

// An 8-bit picture as a 16-bit clip frame holds it: every sample times 256.
cv::Mat deepFrame(const cv::Mat& picture);

// Writes 8-bit pictures as a clip of their deepFrame. True when every frame
// and the header were written.
bool writeStandinClip(const std::string& path, const std::vector<cv::Mat>& pictures);

}  // namespace stereolint::test
