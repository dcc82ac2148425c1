// How the correction benchmark renders a corrected take: with
// stereolint-correct (by default, the one of this build), or with the
// correct.sh script that Stereolint --corrections writes beside
// corrections.json, and what the renderer said of its own time.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CommandRun.h"

namespace bench {

struct Renderer {
  std::string binary;   // stereolint-correct's path
  bool script = false;  // true: PREFIXcorrect.sh with the ffmpeg program instead
};

// stereolint-correct of this build.
Renderer defaultRenderer();

// The last line stereolint-correct prints:
//   Wrote 120 frames to OUT.mkv in 7.9 s (15.2 frames/s): reading 1.1 s, warping 3.0 s,
//   encoding 3.4 s
// its frames, output path, seconds, rate and the named parts in their order.
struct RenderSummary {
  int frames = 0;
  std::string output;
  double seconds = 0;
  double framesPerSecond = 0;
  std::vector<std::pair<std::string, double>> parts;  // name, seconds
};

// The summary in `line`; nothing when the line is not one.
std::optional<RenderSummary> parseRenderSummary(const std::string& line);

struct Render {
  std::string command;  // what was run, for the reader
  std::string output;   // the video written: the summary's path when it names one
  CommandRun run;
  std::optional<RenderSummary> summary;
  std::string error;  // the first line of its standard error, when it failed
};

// Renders the corrections `prefix`corrections.json of the side-by-side take
// `take` into `output` (FFV1 .mkv), with `threads` workers for
// stereolint-correct.
Render renderCorrections(const Renderer& renderer, const std::string& take,
                         const std::string& prefix, const std::string& output, int threads);

// The renderer's name as the benchmark prints it.
std::string rendererName(const Renderer& renderer);

}  // namespace bench
