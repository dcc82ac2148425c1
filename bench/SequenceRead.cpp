#include "SequenceRead.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include <opencv2/imgcodecs.hpp>

#include "BenchFootage.h"
#include "sources/InputStreams.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 2000;
constexpr int kDistinct = 24;

// The process's peak resident memory in MiB since resetPeak.
double peakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double residentMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

std::string frameName(const fs::path& folder, const char* eye, int number, const char* extension) {
  char name[64];
  std::snprintf(name, sizeof name, "take_%s.%06d.%s", eye, number, extension);
  return (folder / name).string();
}

// Writes the sequences of both eyes in `extension`; false when a frame
// cannot be made (no ffmpeg for DPX).
bool writeSequences(const fs::path& folder, const cv::Mat& canvas, const char* extension) {
  fs::create_directories(folder);
  const cv::Size view(1920, 1080);
  for (int k = 0; k < kDistinct; ++k) {
    const cv::Mat left = leftView(canvas, view, k);
    for (const auto& [eye, picture] : {std::pair{"L", left}, std::pair{"R", misaligned(left)}}) {
      const std::string target = frameName(folder, eye, 1 + k, extension);
      if (std::string(extension) == "png") {
        if (!cv::imwrite(target, picture)) return false;
        continue;
      }
      const std::string png = (folder / "frame.png").string();
      cv::imwrite(png, picture);
      const std::string command = "ffmpeg -v error -y -i '" + png +
                                  "' -pix_fmt gbrp10le '" + target + "'";
      if (std::system(command.c_str()) != 0) return false;
    }
  }
  fs::remove(folder / "frame.png");
  for (int k = kDistinct; k < kFrames; ++k) {
    for (const char* eye : {"L", "R"}) {
      fs::create_hard_link(frameName(folder, eye, 1 + k % kDistinct, extension),
                           frameName(folder, eye, 1 + k, extension));
    }
  }
  return true;
}

void readSequences(const fs::path& folder, const char* extension) {
  const auto pattern = [&](const char* eye) {
    return (folder / ("take_" + std::string(eye) + ".%06d." + extension)).string();
  };
  auto streams = stereolint::openInputStreams({pattern("L"), pattern("R")});
  if (!streams) {
    std::printf("%-10s cannot be opened: %s\n", extension, streams.error().c_str());
    return;
  }
  resetPeak();
  const double before = residentMiB();
  const auto start = std::chrono::steady_clock::now();
  int pairs = 0;
  stereolint::StreamPicture left, right;
  while (streams.value()[0]->read(left).kind == stereolint::StreamRead::Kind::Picture &&
         streams.value()[1]->read(right).kind == stereolint::StreamRead::Kind::Picture) {
    ++pairs;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-10s %7d %12.2f %14.1f\n", extension, pairs, 1000 * seconds / std::max(pairs, 1),
              peakMiB() - before);
}

}  // namespace

void printSequenceReading(const fs::path& folder, const cv::Mat& canvas) {
  std::printf("Reading a pair of %d-frame sequences of 1920 x 1080 views (page cache)\n",
              kFrames);
  std::printf("%-10s %7s %12s %14s\n", "format", "pairs", "ms/pair", "peak growth MiB");
  for (const char* extension : {"dpx", "png"}) {
    const fs::path sequences = folder / extension;
    if (!writeSequences(sequences, canvas, extension)) {
      std::printf("%-10s cannot be written here\n", extension);
    } else {
      readSequences(sequences, extension);
    }
    fs::remove_all(sequences);
  }
  std::printf("\n");
}

}  // namespace bench
