#include "DecodeSpeed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <opencv2/videoio.hpp>

#include "BenchFootage.h"
#include "sources/VideoStream.h"

namespace bench {

namespace {

struct DecodeRun {
  int frames = 0;
  double wallMs = 0;
  double cpuMs = 0;
};

// Times `decodeAll`, which returns how many frames it decoded.
DecodeRun timed(const std::function<int()>& decodeAll) {
  const auto wallStart = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  DecodeRun run;
  run.frames = decodeAll();
  run.cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  run.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
          .count();
  return run;
}

int decodeWithCapture(const std::string& video) {
  cv::VideoCapture capture(video, cv::CAP_FFMPEG);
  cv::Mat frame;
  int frames = 0;
  while (capture.read(frame)) ++frames;
  return frames;
}


void printMedian(const char* reader, std::vector<DecodeRun> runs) {
  std::sort(runs.begin(), runs.end(),
            [](const DecodeRun& a, const DecodeRun& b) { return a.wallMs < b.wallMs; });
  const DecodeRun& median = runs[runs.size() / 2];
  const double frames = std::max(1, median.frames);
  std::printf("%-28s %6d %9.2f %9.2f\n", reader, median.frames, median.wallMs / frames,
              median.cpuMs / frames);
}

}  // namespace

int decodeWithStream(const std::string& video) {
  auto stream = stereolint::openVideoStream(video);
  if (!stream) return 0;
  stereolint::StreamPicture picture;
  int frames = 0;
  while (stream.value()->read(picture).kind == stereolint::StreamRead::Kind::Picture) ++frames;
  return frames;
}

void printDecodeSpeed(const std::filesystem::path& folder, const cv::Mat& canvas, int frames) {
  const std::string video = (folder / "decode-1080p.mp4").string();
  std::printf("Decoding a 1080p side-by-side H.264 video (median of 3 runs each)\n");
  if (!writeSideBySideVideo(video, canvas, cv::Size(1920, 1080), frames)) {
    std::printf("1080p video cannot be encoded as H.264 here\n\n");
    return;
  }
  std::printf("%-28s %6s %9s %9s\n", "reader", "frames", "ms/frame", "cpu ms/f");
  std::vector<DecodeRun> capture, stream;
  for (int k = 0; k < 3; ++k) {
    capture.push_back(timed([&] { return decodeWithCapture(video); }));
    stream.push_back(timed([&] { return decodeWithStream(video); }));
  }
  printMedian("cv::VideoCapture", capture);
  printMedian("openVideoStream", stream);
  std::printf("\n");
}

}  // namespace bench
