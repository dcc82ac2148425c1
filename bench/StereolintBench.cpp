// Speed and memory of Stereolint on real footage.
//
//   stereolint-bench [FRAMES]
//
// Builds a side-by-side stereo video from the image library's sample footage
// (Megamind.avi of Debian's opencv-doc; a synthetic texture when it is not
// installed): every right view is the left view moved down 4 rows, turned
// 0.3 degrees and enlarged 1 %. Then it prints
//   - milliseconds per frame of the measuring core (compute and summary of
//     the combined checker, one thread, in this process), and
//   - frames per second, milliseconds per frame and peak memory of the
//     Stereolint program on that video with 1 and 2 worker threads.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "checkers/Stereolint.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kParameters =
    "WIDTH:5,HEIGHT:5,DETECTOR:GridFAST,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";
const char* const kFootage = "/usr/share/doc/opencv-doc/examples/data/Megamind.avi";

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

cv::Mat misaligned(const cv::Mat& view) {
  const cv::Point2f centre(static_cast<float>(view.cols) / 2, static_cast<float>(view.rows) / 2);
  cv::Mat transform = cv::getRotationMatrix2D(centre, 0.3, 1.01);
  transform.at<double>(1, 2) += 4;
  cv::Mat moved;
  cv::warpAffine(view, moved, transform, view.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return moved;
}

std::vector<cv::Mat> footageFrames(int count, std::string& source) {
  std::vector<cv::Mat> frames;
  cv::VideoCapture capture(kFootage);
  cv::Mat frame;
  while (static_cast<int>(frames.size()) < count && capture.read(frame)) frames.push_back(frame.clone());
  if (!frames.empty()) {
    source = kFootage;
    return frames;
  }
  source = "synthetic texture (install opencv-doc for real footage)";
  cv::RNG rng(1);
  for (int i = 0; i < count; ++i) {
    cv::Mat picture(540, 720, CV_8UC3);
    rng.fill(picture, cv::RNG::UNIFORM, cv::Scalar::all(0), cv::Scalar::all(255));
    cv::GaussianBlur(picture, picture, cv::Size(0, 0), 2.0);
    frames.push_back(picture);
  }
  return frames;
}

struct ProgramRun {
  double seconds = 0;
  long peakKilobytes = 0;
  int status = -1;
};

ProgramRun runStereolint(const std::string& video, const std::string& output, int threads) {
  const std::string threadText = std::to_string(threads);
  std::fflush(stdout);  // the child must not print what this process buffered
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    execl(STEREOLINT_BINARY, STEREOLINT_BINARY, "-m", "CONSOLE", "-i", video.c_str(), "-o",
          "VERTICALLY", "-d", "Stereolint", "-t", threadText.c_str(), "-r", output.c_str(), "-p",
          kParameters, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return {secondsSince(start), usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 24;
  std::string source;
  const std::vector<cv::Mat> frames = footageFrames(count, source);
  const auto frameCount = static_cast<double>(frames.size());
  std::printf("footage: %s, %d frames of %d x %d per view\n", source.c_str(),
              static_cast<int>(frames.size()), frames[0].cols, frames[0].rows);
  std::printf("parameters: %s\n\n", kParameters);

  // The measuring core alone.
  const stereolint::Stereolint checker(kParameters);
  const auto coreStart = Clock::now();
  for (const cv::Mat& frame : frames) {
    const stereolint::Results results = checker.compute(nullptr, frame, misaligned(frame));
    checker.visualize(results);
  }
  const double coreSeconds = secondsSince(coreStart);
  std::printf("core (compute + summary, 1 thread): %8.1f ms/frame %8.2f frames/s\n",
              1000 * coreSeconds / frameCount, frameCount / coreSeconds);

  // The whole program on a side-by-side video.
  const auto folder = std::filesystem::temp_directory_path() /
                      ("stereolint-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string video = (folder / "take.avi").string();
  {
    cv::VideoWriter writer(video, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25,
                           cv::Size(2 * frames[0].cols, frames[0].rows));
    for (const cv::Mat& frame : frames) {
      cv::Mat both;
      cv::hconcat(frame, misaligned(frame), both);
      writer.write(both);
    }
  }
  for (int threads : {1, 2}) {
    const std::string output = (folder / ("t" + std::to_string(threads))).string() + "/";
    const ProgramRun run = runStereolint(video, output, threads);
    std::printf("program, -t %d:                    %8.1f ms/frame %8.2f frames/s %8.1f MiB peak%s\n",
                threads, 1000 * run.seconds / frameCount, frameCount / run.seconds,
                static_cast<double>(run.peakKilobytes) / 1024.0, run.status == 0 ? "" : "  (exit code not 0)");
  }
  std::filesystem::remove_all(folder);
  return 0;
}
