// Speed and memory of Stereolint on real-looking footage.
//
//   stereolint-bench [--frames N] [--binary PATH] [--stills] [--loops] [--long] [--decode]
//                    [--qc] [--every] [--pictures] [--depth] [--eyes] [--alignment] [--encoded]
//                    [--correct [--script] [--renderer PATH]]
//
// Makes its own input from the sample photographs of Debian's opencv-doc:
// side-by-side H.264 videos at 1280 x 720, 1920 x 1080 (N frames, default
// 24) and 3840 x 2160 (4 frames) whose right views are the left ones moved
// down 4 rows, turned 0.3 degrees and enlarged 1 %, plus two 1080p still
// pairs: the same misalignment, and the worst case of a view and itself
// moved down 6 whole rows. Then it prints
//   - per size and worker count: milliseconds per frame (median of the
//     frames), frames per second, cores busy, peak memory, and where the
//     time went by stage (the program's own timers);
//   - the I/O floor: the same frames decoded and the same pictures written,
//     nothing analysed, and the full run's ratio to it;
//   - the still pairs on two cores against one;
//   - how the measuring loops grow with the number of matches.
// --stills, --loops, --long and --alignment print their sections alone
// (several may be given); --long is a 200-frame 1080p run at -t 2 that shows
// whether memory stays flat, and runs only when asked; --alignment compares
// the alignment method with Hugin's align_image_stack and the step medians
// on known misalignments (see AlignmentBench.h), also only when asked, and
// with --encoded passes every pair through H.264 first; --binary runs another build of
// the program (an earlier one, to compare; its stage columns stay 0 when it
// has no stage timers). --decode, also only when asked, times decoding a
// 1080p H.264 video (N frames, at least 48) with the program's frame stream
// against the image library's video reader, and reading a pair of 2,000-frame
// DPX sequences against the same frames as PNG. --qc times numbers-only quality
// control at 1080p and 4K per view, --every a 2,000-frame take sampled with
// --every 24 (both only when asked), --pictures what each --pictures choice
// writes on a take of four shots, and --long adds memory over a
// 10,000-frame numbers-only run (see QcBench.h). --depth, alone, the
// alignment method's dense parallax on opencv-doc's real pairs: accuracy,
// window violations, eye order and time per frame. --eyes, alone, its eye
// match on the aloe pair with known grades, blurs and one-eye highlights.
// --correct, alone, the corrections of --qc --corrections and their
// rendering against their targets: residuals on known misalignments, the
// crop against the largest inner rectangle, and the rendering speed at
// 1080p (see CorrectBench.h). It renders with stereolint-correct of this
// build, another one with --renderer PATH, or with the correct.sh each
// run writes with --script.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "AlignmentBench.h"
#include "BenchFootage.h"
#include "CorrectBench.h"
#include "DecodeSpeed.h"
#include "DepthBench.h"
#include "EyesBench.h"
#include "IoFloor.h"
#include "LoopScaling.h"
#include "PictureVolume.h"
#include "ProgramRun.h"
#include "QcBench.h"
#include "SequenceRead.h"

namespace {

namespace fs = std::filesystem;

struct Footage {
  const char* label;
  cv::Size frameSize;
  int frames;
};

void printRunHeader() {
  std::printf("%-22s %3s %9s %8s %6s %9s | %8s %8s %8s %8s %8s\n", "input", "-t", "ms/frame",
              "frames/s", "cores", "peak MiB", "decode", "match", "measure", "draw", "write");
}

void printRun(const std::string& label, int threads, int frames, const bench::ProgramRun& run) {
  const auto perFrame = [&](const char* stage) {
    const auto found = run.stageMs.find(stage);
    return found == run.stageMs.end() ? 0.0 : found->second / frames;
  };
  std::printf("%-22s %3d %9.1f %8.2f %6.2f %9.1f | %8.1f %8.1f %8.1f %8.1f %8.1f%s\n",
              label.c_str(), threads, bench::median(run.frameMs), frames / run.wallSeconds,
              run.coresBusy(), run.peakMiB, perFrame("decoding"), perFrame("matching"),
              perFrame("measuring"), perFrame("drawing"), perFrame("writing"),
              run.status == 0 ? "" : "  (exit status not 0)");
}

void printVideos(const fs::path& folder, const cv::Mat& canvas, int frames) {
  const std::vector<Footage> footage = {{"720p", {1280, 720}, frames},
                                        {"1080p", {1920, 1080}, frames},
                                        {"2160p", {3840, 2160}, 4}};
  std::printf("Side-by-side H.264 videos, whole program (ms/frame: median of the frames' own "
              "times;\nstage columns: ms per frame summed over threads)\n");
  printRunHeader();
  std::string ratios;
  for (const Footage& take : footage) {
    const std::string video = (folder / (std::string(take.label) + ".mp4")).string();
    if (!bench::writeSideBySideVideo(video, canvas, take.frameSize, take.frames)) {
      std::printf("%-22s cannot be encoded as H.264 here\n", take.label);
      continue;
    }
    for (int threads : {1, 2}) {
      const std::string output =
          (folder / (std::string(take.label) + "-t" + std::to_string(threads))).string() + "/";
      const bench::ProgramRun run = bench::runStereolint(video, output, threads);
      printRun(std::string(take.label) + " video", threads, take.frames, run);
      const bench::IoFloor floor = bench::ioFloor(video, output, threads);
      bench::printIoFloor(floor, run.wallSeconds);
      char ratio[64];
      std::snprintf(ratio, sizeof ratio, "  %s -t %d: %.2f", take.label, threads,
                    floor.seconds > 0 ? run.wallSeconds / floor.seconds : 0.0);
      ratios += ratio;
      fs::remove_all(output);
    }
  }
  // Every run writes all its pictures; the floor writes as many with
  // cv::imwrite. One line to quote.
  std::printf("full run / I/O floor:%s\n\n", ratios.c_str());
}

// Each still pair three times pinned to one core and three times free,
// in turn, so that a drifting machine speed hits both alike; the runs of
// median wall time are shown.
void printStills(const fs::path& folder, const cv::Mat& canvas) {
  constexpr int kRepeats = 3;
  std::printf("1080p still pairs, -t 1: two cores against one (median of %d runs each)\n",
              kRepeats);
  printRunHeader();
  const auto medianRun = [](std::vector<bench::ProgramRun> runs) {
    std::sort(runs.begin(), runs.end(), [](const bench::ProgramRun& a, const bench::ProgramRun& b) {
      return a.wallSeconds < b.wallSeconds;
    });
    return runs[runs.size() / 2];
  };
  for (bool worstCase : {false, true}) {
    const std::string still = (folder / (worstCase ? "worst.png" : "still.png")).string();
    bench::writeSideBySideStill(still, canvas, cv::Size(1920, 1080), worstCase);
    const std::string label = worstCase ? "worst case" : "still";
    std::vector<bench::ProgramRun> ones, twos;
    for (int k = 0; k < kRepeats; ++k) {
      ones.push_back(bench::runStereolint(still, (folder / "one").string() + "/", 1, true));
      twos.push_back(bench::runStereolint(still, (folder / "two").string() + "/", 1));
    }
    const bench::ProgramRun one = medianRun(ones), two = medianRun(twos);
    printRun(label + ", one core", 1, 1, one);
    printRun(label + ", two cores", 1, 1, two);
    std::printf("%-22s wall time two cores / one core: %.2f\n", label.c_str(),
                two.wallSeconds / one.wallSeconds);
  }
  std::printf("\n");
}

void printLongRun(const fs::path& folder, const cv::Mat& canvas) {
  std::printf("\nMemory over a long take (1080p, -t 2)\n");
  printRunHeader();
  const std::string video = (folder / "long.mp4").string();
  if (!bench::writeSideBySideVideo(video, canvas, cv::Size(1920, 1080), 200)) return;
  const bench::ProgramRun run = bench::runStereolint(video, (folder / "long").string() + "/", 2);
  printRun("1080p, 200 frames", 2, 200, run);
  std::printf("%-22s peak MiB by quarter of the run:%s\n", "",
              bench::peakByPart(run.residentMiB, 4).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 24;
  bool videos = true, stills = true, loops = true, longRun = false, chosen = false;
  bool alignment = false, encoded = false, decode = false, qc = false, sampling = false;
  bool pictures = false, depth = false, eyes = false, correct = false;
  bench::Renderer renderer = bench::defaultRenderer();
  const auto choose = [&](bool& section) {
    if (!chosen)
      videos = stills = loops = longRun = alignment = decode = qc = sampling = pictures = depth =
          eyes = correct = false;
    chosen = true;
    section = true;
  };
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      frames = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--binary") == 0 && i + 1 < argc) {
      bench::setProgram(argv[++i]);
    } else if (std::strcmp(argv[i], "--stills") == 0) {
      choose(stills);
    } else if (std::strcmp(argv[i], "--loops") == 0) {
      choose(loops);
    } else if (std::strcmp(argv[i], "--long") == 0) {
      choose(longRun);
    } else if (std::strcmp(argv[i], "--alignment") == 0) {
      choose(alignment);
    } else if (std::strcmp(argv[i], "--encoded") == 0) {
      encoded = true;
    } else if (std::strcmp(argv[i], "--decode") == 0) {
      choose(decode);
    } else if (std::strcmp(argv[i], "--qc") == 0) {
      choose(qc);
    } else if (std::strcmp(argv[i], "--every") == 0) {
      choose(sampling);
    } else if (std::strcmp(argv[i], "--pictures") == 0) {
      choose(pictures);
    } else if (std::strcmp(argv[i], "--depth") == 0) {
      choose(depth);
    } else if (std::strcmp(argv[i], "--eyes") == 0) {
      choose(eyes);
    } else if (std::strcmp(argv[i], "--correct") == 0) {
      choose(correct);
    } else if (std::strcmp(argv[i], "--script") == 0) {
      renderer.script = true;
    } else if (std::strcmp(argv[i], "--renderer") == 0 && i + 1 < argc) {
      renderer.binary = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: %s [--frames N] [--binary PATH] [--stills] [--loops] [--long] "
                   "[--decode] [--qc] [--every] [--pictures] [--depth] [--eyes] "
                   "[--alignment [--encoded]] [--correct [--script] [--renderer PATH]]\n",
                   argv[0]);
      return 2;
    }
  }
  if (depth) {
    bench::printDepthBench();
    return 0;
  }
  if (eyes) {
    bench::printEyesBench();
    return 0;
  }
  if (correct) {
    const fs::path folder =
        fs::temp_directory_path() / ("stereolint-correct-bench-" + std::to_string(getpid()));
    bench::printCorrectBench(folder, renderer);
    fs::remove_all(folder);
    return 0;
  }
  if (loops && !videos && !stills && !longRun && !alignment && !decode && !qc && !sampling &&
      !pictures) {
    bench::printLoopScaling();
    return 0;
  }

  const fs::path folder = fs::temp_directory_path() / ("stereolint-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::string source;
  const cv::Mat canvas = bench::photoCanvas(cv::Size(4600, 2800), source);
  std::printf("program: %s\ncontent: %s, panned; parameters: %s\n\n", bench::program().c_str(),
              source.c_str(), bench::kBenchParameters);
  if (videos) printVideos(folder, canvas, frames);
  if (stills) printStills(folder, canvas);
  if (loops) bench::printLoopScaling();
  if (qc) bench::printQcSpeed(folder, canvas, frames);
  if (longRun) printLongRun(folder, canvas);
  if (longRun) bench::printLongQc(folder, canvas);
  if (sampling) bench::printSampling(folder, canvas);
  if (pictures) bench::printPictureVolume(folder, canvas);
  if (alignment) bench::printAlignmentComparison(folder.string(), encoded);
  if (decode) bench::printDecodeSpeed(folder, canvas, std::max(frames, 48));
  if (decode) bench::printSequenceReading(folder, canvas);
  fs::remove_all(folder);
  return 0;
}
