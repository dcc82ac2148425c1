#include "QcBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchFootage.h"
#include "DecodeSpeed.h"
#include "ProgramRun.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

// The numbers-only quality control run of `video` (side by side).
ProgramRun runQc(const std::string& video, const std::string& output, int threads,
                 const std::vector<std::string>& extra = {}) {
  std::vector<std::string> arguments = {"-m", "CONSOLE", "-i", video, "-o", "VERTICALLY",
                                        "-d", "Alignment", "-t", std::to_string(threads),
                                        "-r", output, "--qc", "--pictures", "none"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return runProgram(arguments, output);
}

void printQcRun(const char* label, int threads, int frames, const ProgramRun& run) {
  std::printf("%-30s %3d %7d %9.2f %6.2f %9.1f%s\n", label, threads, frames,
              frames / run.wallSeconds, run.coresBusy(), run.peakMiB,
              run.status == 0 ? "" : "  (exit status not 0)");
}

}  // namespace

void printQcSpeed(const fs::path& folder, const cv::Mat& canvas, int frames) {
  struct Take {
    const char* label;
    cv::Size frameSize;
    int frames;
  };
  // The longer 1080p take shows the rate once the run's start (opening the
  // take, the image library's colour tables, the first frames in flight)
  // is spread over ten seconds of footage.
  const Take takes[] = {{"1920 x 1080 views", {3840, 1080}, std::max(frames, 48)},
                        {"1920 x 1080 views", {3840, 1080}, std::max(frames, 240)},
                        {"3840 x 2160 views", {7680, 2160}, 24}};
  std::printf("Numbers-only quality control (-d Alignment --qc --pictures none), side-by-side "
              "H.264, decoding included\n");
  std::printf("%-30s %3s %7s %9s %6s %9s\n", "take", "-t", "frames", "frames/s", "cores",
              "peak MiB");
  for (const Take& take : takes) {
    const std::string video = (folder / "qc.mp4").string();
    if (!writeSideBySideVideo(video, canvas, take.frameSize, take.frames)) {
      std::printf("%-30s cannot be encoded as H.264 here\n", take.label);
      continue;
    }
    for (int threads : {1, 2}) {
      const std::string output = (folder / "qc-out").string() + "/";
      printQcRun(take.label, threads, take.frames, runQc(video, output, threads));
      fs::remove_all(folder / "qc-out");
    }
    fs::remove(video);
  }
  std::printf("\n");
}

void printSampling(const fs::path& folder, const cv::Mat& canvas) {
  constexpr int kFrames = 2000;
  const std::string video = (folder / "sampling.mp4").string();
  std::printf("A %d-frame take of 960 x 1080 views, numbers-only quality control, -t 2\n",
              kFrames);
  if (!writeSideBySideVideo(video, canvas, cv::Size(1920, 1080), kFrames)) {
    std::printf("cannot be encoded as H.264 here\n\n");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  const int decoded = decodeWithStream(video);
  const double decoding =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-30s %9s %9s %12s\n", "run", "analysed", "seconds", "take frames/s");
  std::printf("%-30s %9d %9.1f %12.1f\n", "decoding alone", 0, decoding, decoded / decoding);
  for (const char* every : {"1", "24"}) {
    const std::string output = (folder / "sampling-out").string() + "/";
    const ProgramRun run = runQc(video, output, 2, {"--every", every});
    const int analysed = (kFrames + std::stoi(every) - 1) / std::stoi(every);
    std::printf("%-30s %9d %9.1f %12.1f%s\n", (std::string("--every ") + every).c_str(), analysed,
                run.wallSeconds, kFrames / run.wallSeconds,
                run.status == 0 ? "" : "  (exit status not 0)");
    fs::remove_all(folder / "sampling-out");
  }
  fs::remove(video);
  std::printf("\n");
}

void printLongQc(const fs::path& folder, const cv::Mat& canvas) {
  constexpr int kFrames = 10000;
  const std::string video = (folder / "long-qc.mp4").string();
  std::printf("Memory over a %d-frame take (960 x 1080 views, numbers-only quality control, "
              "-t 2)\n", kFrames);
  if (!writeSideBySideVideo(video, canvas, cv::Size(1920, 1080), kFrames)) {
    std::printf("cannot be encoded as H.264 here\n\n");
    return;
  }
  const std::string output = (folder / "long-qc-out").string() + "/";
  const ProgramRun run = runQc(video, output, 2);
  printQcRun("10,000 frames", 2, kFrames, run);
  std::printf("%-30s peak MiB by tenth of the run:%s\n", "",
              peakByPart(run.residentMiB, 10).c_str());
  // What grows with the take: the whole run's peak (the report written at
  // its end included) over the peak of its first tenth, shared by the nine
  // tenths of the frames analysed since.
  const std::vector<double> firstTenth(
      run.residentMiB.begin(),
      run.residentMiB.begin() + static_cast<std::ptrdiff_t>(run.residentMiB.size() / 10));
  const double early = firstTenth.empty() ? 0 : *std::max_element(firstTenth.begin(), firstTenth.end());
  std::printf("%-30s peak %.1f MiB, first tenth %.1f MiB: %.2f KiB per frame\n\n", "",
              run.peakMiB, early, (run.peakMiB - early) * 1024.0 / (kFrames * 0.9));
  fs::remove_all(folder / "long-qc-out");
  fs::remove(video);
}

}  // namespace bench
