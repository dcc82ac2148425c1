#include "PictureVolume.h"

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "BenchFootage.h"
#include "ProgramRun.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

constexpr int kShots = 4;
constexpr int kFramesPerShot = 12;

// Bytes of every file under `root`.
std::uintmax_t bytesUnder(const fs::path& root) {
  std::uintmax_t total = 0;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(root, error))
    if (entry.is_regular_file(error)) total += entry.file_size(error);
  return total;
}

// Four shots: windows of the canvas far apart, each panning as the
// benchmark's footage does.
bool writeShots(const fs::path& sequence, const cv::Mat& canvas) {
  fs::create_directories(sequence);
  const cv::Size view(1920, 1080);
  int number = 1;
  for (int shot = 0; shot < kShots; ++shot) {
    for (int k = 0; k < kFramesPerShot; ++k) {
      const cv::Mat left = leftView(canvas, view, shot * 90 + k);
      cv::Mat frame;
      cv::hconcat(left, misaligned(left), frame);
      char name[32];
      std::snprintf(name, sizeof name, "f%04d.png", number++);
      if (!cv::imwrite((sequence / name).string(), frame)) return false;
    }
  }
  return true;
}

}  // namespace

void printPictureVolume(const fs::path& folder, const cv::Mat& canvas) {
  const fs::path sequence = folder / "shots";
  if (!writeShots(sequence, canvas)) {
    std::printf("Cannot write the take of shots\n");
    return;
  }
  const int frames = kShots * kFramesPerShot;
  std::printf("What --pictures writes (-d Alignment --qc -t 2), %d frames of 1920 x 1080 views "
              "in %d shots, every frame FIX\n",
              frames, kShots);
  std::printf("%-10s %12s %22s %8s\n", "pictures", "MB written", "MB per 1,000 frames", "exit");
  for (const char* mode : {"all", "flagged", "worst", "none"}) {
    const fs::path output = folder / (std::string("pictures-") + mode);
    fs::create_directories(output);
    const ProgramRun run = runProgram(
        {"-m", "CONSOLE", "-i", sequence.string() + "/", "-o", "VERTICALLY", "-d", "Alignment",
         "-t", "2", "-r", output.string() + "/", "--qc", "--quiet", "--pictures", mode},
        (output / "").string());
    const double megabytes = static_cast<double>(bytesUnder(output)) / 1e6;
    std::printf("%-10s %12.1f %22.1f %8d\n", mode, megabytes, megabytes * 1000.0 / frames,
                run.status);
  }
  std::printf("(flagged and worst keep each shot's worst frame and, for flagged, the REJECT "
              "frames: per 1,000 frames they write what the shots and REJECT frames ask, "
              "whatever the length)\n\n");
}

}  // namespace bench
