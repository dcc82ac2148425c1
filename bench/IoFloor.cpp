#include "IoFloor.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

namespace bench {

namespace {

namespace fs = std::filesystem;

struct PictureShape {
  int width = 0, height = 0, channels = 3, depth = CV_8U;
};

// Reads width, height, bit depth and colour type from a PNG's IHDR chunk.
bool pngShape(const fs::path& path, PictureShape& shape) {
  std::ifstream file(path, std::ios::binary);
  unsigned char header[26] = {};
  if (!file.read(reinterpret_cast<char*>(header), sizeof header)) return false;
  const auto word = [&](int at) {
    return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
  };
  shape.width = word(16);
  shape.height = word(20);
  shape.depth = header[24] == 16 ? CV_16U : CV_8U;
  const int colourType = header[25];
  shape.channels = colourType == 0 ? 1 : colourType == 4 ? 2 : colourType == 6 ? 4 : 3;
  return shape.width > 0 && shape.height > 0;
}

std::vector<PictureShape> firstFramePictures(const std::string& runOutput) {
  std::vector<PictureShape> shapes;
  for (const auto& entry : fs::directory_iterator(runOutput)) {
    const std::string name = entry.path().filename().string();
    PictureShape shape;
    if (name.rfind("1_", 0) == 0 && entry.path().extension() == ".png" &&
        pngShape(entry.path(), shape)) {
      shapes.push_back(shape);
    }
  }
  return shapes;
}

// A picture of `shape` made of the frame's own pixels, tiled as needed.
cv::Mat pictureFrom(const cv::Mat& frame, const PictureShape& shape) {
  cv::Mat source = frame;
  if (shape.channels == 1) cv::extractChannel(frame, source, 0);
  const cv::Mat tiled = cv::repeat(source, shape.height / source.rows + 1, shape.width / source.cols + 1);
  cv::Mat picture = tiled(cv::Rect(0, 0, shape.width, shape.height));
  if (shape.depth == CV_16U) picture.convertTo(picture, CV_16U, 256);
  return picture;
}

}  // namespace

IoFloor ioFloor(const std::string& video, const std::string& runOutput, int threads) {
  IoFloor floor;
  const std::vector<PictureShape> shapes = firstFramePictures(runOutput);
  floor.picturesPerFrame = static_cast<int>(shapes.size());
  const fs::path scratch = fs::path(runOutput).parent_path().string() + "-floor";
  fs::create_directories(scratch);

  const auto start = std::chrono::steady_clock::now();
  cv::VideoCapture capture(video, cv::CAP_FFMPEG);
  std::mutex reading;
  int next = 0;
  const auto work = [&] {
    for (;;) {
      cv::Mat frame;
      int index = 0;
      {
        const std::lock_guard<std::mutex> lock(reading);
        if (!capture.read(frame)) return;
        index = ++next;
      }
      for (size_t k = 0; k < shapes.size(); ++k) {
        const fs::path path = scratch / (std::to_string(index) + "_" + std::to_string(k) + ".png");
        cv::imwrite(path.string(), pictureFrom(frame, shapes[k]));
      }
    }
  };
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) workers.emplace_back(work);
  for (std::thread& worker : workers) worker.join();
  floor.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  floor.frames = next;
  fs::remove_all(scratch);
  return floor;
}

void printIoFloor(const IoFloor& floor, double fullRunSeconds) {
  std::printf("%-22s     I/O floor: %d frames decoded, %d PNG pictures each written: %.1f ms/frame;"
              " full run / floor = %.2f\n",
              "", floor.frames, floor.picturesPerFrame,
              floor.frames > 0 ? 1000 * floor.seconds / floor.frames : 0.0,
              floor.seconds > 0 ? fullRunSeconds / floor.seconds : 0.0);
}

}  // namespace bench
