#include "CorrectSpeed.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CorrectionTakes.h"
#include "ProgramRun.h"

namespace bench {

namespace {

constexpr int kFrames = 120;
constexpr int kThreads = 2;
constexpr double kTargetRate = 15;

// Frames of the take in shots that corrections.json corrects; -1 when it
// cannot be read.
int correctedFrames(const std::string& path) {
  std::ifstream file(path);
  const nlohmann::json document = nlohmann::json::parse(file, nullptr, false);
  if (document.is_discarded() || !document.contains("shots")) return -1;
  int frames = 0;
  for (const nlohmann::json& shot : document["shots"])
    if (shot.value("corrected", false))
      frames += shot.value("last_frame", 0) - shot.value("first_frame", 0) + 1;
  return frames;
}

// The renderer's own account: its line and each part's share of its time,
// the encoder's named.
void printSummary(const RenderSummary& summary) {
  std::printf("  the renderer's own time: %.2f s for %d frames, %.2f frames/s\n", summary.seconds,
              summary.frames, summary.framesPerSecond);
  bool encoder = false;
  for (const auto& [name, seconds] : summary.parts) {
    const bool encoding = name.find("encod") != std::string::npos;
    encoder = encoder || encoding;
    std::printf("    %-12s %6.2f s  %5.1f %%%s\n", name.c_str(), seconds,
                summary.seconds > 0 ? 100 * seconds / summary.seconds : 0.0,
                encoding ? "   <- the encoder (FFV1)" : "");
  }
  if (!encoder) std::printf("    (its line names no encoding part)\n");
}

}  // namespace

SpeedTake makeSpeedTake(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  SpeedTake take;
  take.take = (folder / "take.mp4").string();
  take.prefix = (folder / "judged").string() + "/";
  take.frames = kFrames;
  ShotSource shot{"vtest.avi", 0, kFrames, {}};
  shot.misalign.rows = 4;
  shot.misalign.degrees = 0.3;
  shot.misalign.scale = 1.01;
  if (!writeMisalignedTake(take.take, {shot}, cv::Size(960, 1080), true)) return take;
  const ProgramRun run = runProgram({"-m", "CONSOLE", "-i", take.take, "-o", "VERTICALLY", "-d",
                                     "Alignment", "-t", std::to_string(kThreads), "--qc", "--quiet",
                                     "--pictures", "none", "--corrections", "-r", take.prefix},
                                    take.prefix);
  take.judgingSeconds = run.wallSeconds;
  take.made = run.status == 0;
  return take;
}

void printRenderSpeed(const SpeedTake& take, const Renderer& renderer) {
  std::printf(
      "Rendering speed: %d side-by-side frames of 1920 x 1080, views of 960 x 1080 (H.264 4:2:0, "
      "from vtest.avi), %s,\n-t %d, to FFV1\n",
      take.frames, rendererName(renderer).c_str(), kThreads);
  if (!take.made) {
    std::printf("  the take could not be made or judged\n\n");
    return;
  }
  std::printf("  frames in corrected shots: %d of %d (judged with --qc --corrections in %.1f s)\n",
              correctedFrames(take.prefix + "corrections.json"), take.frames, take.judgingSeconds);
  const std::string output = std::filesystem::path(take.take).replace_filename("rendered.mkv");
  const Render render = renderCorrections(renderer, take.take, take.prefix, output, kThreads);
  if (render.run.status != 0) {
    std::printf("  rendering failed (exit status %d): %s\n  command: %s\n\n", render.run.status,
                render.error.empty() ? "no message" : render.error.c_str(), render.command.c_str());
    return;
  }
  const double rate = take.frames / render.run.wallSeconds;
  std::printf("  whole run: %.2f s wall, %.2f frames/s, %.2f cores busy\n", render.run.wallSeconds,
              rate, render.run.coresBusy());
  if (render.summary)
    printSummary(*render.summary);
  else
    std::printf("  (the renderer printed no \"Wrote N frames ...\" line: wall time only)\n");
  std::printf("  target >= %.0f frames/s, encoding included (whole run's wall time): %.2f  %s\n\n",
              kTargetRate, rate, rate >= kTargetRate ? "ok" : "NOT MET");
}

}  // namespace bench
