// make-r3d-clip: writes a clip in the stand-in clip format from a video file
// or from a list of images (see CLIP-FORMAT.md).
#include <cstdio>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "StandinClipWriter.h"
#include "util/Constants.h"
#include "util/Paths.h"

namespace {

using stereolint::test::StandinClipWriter;

// 8-bit samples are scaled by 256 so that the clip spans the 16-bit range.
cv::Mat asClipFrame(const cv::Mat& picture) {
  cv::Mat colour;
  if (picture.channels() == 1) {
    cv::cvtColor(picture, colour, cv::COLOR_GRAY2BGR);
  } else if (picture.channels() == 4) {
    cv::cvtColor(picture, colour, cv::COLOR_BGRA2BGR);
  } else {
    colour = picture;
  }
  if (colour.depth() == CV_16U) return colour;
  cv::Mat frame;
  colour.convertTo(frame, CV_16U, 256.0);
  return frame;
}

bool isImage(const std::string& path) {
  const auto& extensions = stereolint::constants().imageExtensions;
  const std::string extension = stereolint::fileExtension(path);
  for (const auto& known : extensions) {
    if (extension == known) return true;
  }
  return false;
}

bool appendVideo(const std::string& path, StandinClipWriter& writer) {
  cv::VideoCapture video(path);
  if (!video.isOpened()) {
    std::fprintf(stderr, "make-r3d-clip: cannot open the video %s\n", path.c_str());
    return false;
  }
  cv::Mat picture;
  while (video.read(picture)) {
    if (!writer.append(asClipFrame(picture))) {
      std::fprintf(stderr, "make-r3d-clip: frame %u of %s cannot be written\n",
                   writer.frameCount() + 1, path.c_str());
      return false;
    }
  }
  return true;
}

bool appendImage(const std::string& path, StandinClipWriter& writer) {
  const cv::Mat picture = cv::imread(path, cv::IMREAD_UNCHANGED);
  if (picture.empty()) {
    std::fprintf(stderr, "make-r3d-clip: cannot read the image %s\n", path.c_str());
    return false;
  }
  if (!writer.append(asClipFrame(picture))) {
    std::fprintf(stderr, "make-r3d-clip: %s differs in size or type from the first frame\n",
                 path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: make-r3d-clip OUTPUT.R3D VIDEO_FILE\n"
                 "       make-r3d-clip OUTPUT.R3D IMAGE_FILE [IMAGE_FILE ...]\n");
    return 2;
  }
  const std::vector<std::string> inputs(argv + 2, argv + argc);
  StandinClipWriter writer(argv[1]);
  if (!writer.isGood()) {
    std::fprintf(stderr, "make-r3d-clip: cannot create %s\n", argv[1]);
    return 1;
  }
  bool good = true;
  if (inputs.size() == 1 && !isImage(inputs.front())) {
    good = appendVideo(inputs.front(), writer);
  } else {
    for (const auto& input : inputs) {
      good = good && appendImage(input, writer);
    }
  }
  if (!writer.finish() || !good) return 1;
  std::printf("%s: %u frames\n", argv[1], writer.frameCount());
  return 0;
}
