#include "support/FootageFiles.h"

#include <fstream>
#include <regex>

#include <opencv2/videoio.hpp>

namespace stereolint::test {

std::vector<StereoPair> shiftedPairs(int frames, cv::Size size, int rows) {
  std::vector<StereoPair> pairs;
  for (int i = 0; i < frames; ++i) {
    pairs.push_back(verticallyShiftedPair(size, rows, static_cast<unsigned>(i + 1)));
  }
  return pairs;
}

bool writeVideo(const std::string& path, const std::vector<cv::Mat>& pictures, const char* fourcc,
                double fps) {
  cv::VideoWriter writer(path, cv::CAP_FFMPEG,
                         cv::VideoWriter::fourcc(fourcc[0], fourcc[1], fourcc[2], fourcc[3]), fps,
                         pictures.at(0).size());
  if (!writer.isOpened()) return false;
  for (const cv::Mat& picture : pictures) writer.write(picture);
  return true;
}

std::vector<cv::Mat> sideBySideFrames(const std::vector<StereoPair>& pairs) {
  std::vector<cv::Mat> frames;
  for (const StereoPair& pair : pairs) frames.push_back(sideBySide(pair));
  return frames;
}

std::vector<cv::Mat> leftViews(const std::vector<StereoPair>& pairs) {
  std::vector<cv::Mat> views;
  for (const StereoPair& pair : pairs) views.push_back(pair.left);
  return views;
}

std::vector<cv::Mat> rightViews(const std::vector<StereoPair>& pairs) {
  std::vector<cv::Mat> views;
  for (const StereoPair& pair : pairs) views.push_back(pair.right);
  return views;
}

std::string maskTimes(const std::string& text) {
  static const std::regex timeLine("TIME : [^\n]*");
  static const std::regex lastField(",[0-9.e+-]+\n");
  return std::regex_replace(std::regex_replace(text, timeLine, "TIME : T"), lastField, ",T\n");
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream stream(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

}  // namespace stereolint::test
