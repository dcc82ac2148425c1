#include "StandinClipWriter.h"

#include <vector>

namespace stereolint::test {

namespace {

constexpr char magic[4] = {'S', 'L', 'R', '3'};
constexpr std::streamoff headerSize = 16;

void putLittleEndian32(std::ofstream& file, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                         static_cast<char>((value >> 16) & 0xFF),
                         static_cast<char>((value >> 24) & 0xFF)};
  file.write(bytes, 4);
}

}  // namespace

StandinClipWriter::StandinClipWriter(const std::string& path)
    : file(path, std::ios::binary | std::ios::trunc) {
  // The header is written again with the real numbers by finish().
  file.write(magic, 4);
  for (int i = 0; i < 3; ++i) putLittleEndian32(file, 0);
}

bool StandinClipWriter::append(const cv::Mat& frame) {
  if (frame.type() != CV_16UC3 || frame.empty()) return false;
  if (frames == 0) {
    width = static_cast<std::uint32_t>(frame.cols);
    height = static_cast<std::uint32_t>(frame.rows);
  } else if (frame.cols != static_cast<int>(width) || frame.rows != static_cast<int>(height)) {
    return false;
  }
  std::vector<cv::Mat> blueGreenRed;
  cv::split(frame, blueGreenRed);
  std::vector<char> plane(static_cast<std::size_t>(width) * height * 2);
  for (int channel : {2, 1, 0}) {
    std::size_t at = 0;
    for (int y = 0; y < frame.rows; ++y) {
      const auto* row = blueGreenRed[channel].ptr<std::uint16_t>(y);
      for (int x = 0; x < frame.cols; ++x) {
        plane[at++] = static_cast<char>(row[x] & 0xFF);
        plane[at++] = static_cast<char>(row[x] >> 8);
      }
    }
    file.write(plane.data(), static_cast<std::streamsize>(plane.size()));
  }
  ++frames;
  return isGood();
}

bool StandinClipWriter::finish() {
  file.seekp(4);
  putLittleEndian32(file, frames == 0 ? 1 : width);
  putLittleEndian32(file, frames == 0 ? 1 : height);
  putLittleEndian32(file, frames);
  file.close();
  return !file.fail();
}

cv::Mat deepFrame(const cv::Mat& picture) {
  cv::Mat frame;
  picture.convertTo(frame, CV_16U, 256);
  return frame;
}

bool writeStandinClip(const std::string& path, const std::vector<cv::Mat>& pictures) {
  StandinClipWriter writer(path);
  for (const cv::Mat& picture : pictures) {
    if (!writer.append(deepFrame(picture))) return false;
  }
  return writer.finish();
}

}  // namespace stereolint::test
