#include "corrections/CorrectScript.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "corrections/EyeWarp.h"
#include "corrections/ShotGrade.h"

namespace stereolint::corrections {

namespace {

// `text` as one word of the shell: in single quotes, each quote closed,
// escaped and reopened.
std::string shellWord(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `text` with a backslash before each of `special` and each blank: one
// level of the escaping that ffmpeg's filter graphs read.
std::string escaped(const std::string& text, const char* special) {
  std::string out;
  for (char c : text) {
    if (std::strchr(special, c) != nullptr || c == ' ' || c == '\t' || c == '\n' || c == '\r')
      out += '\\';
    out += c;
  }
  return out;
}

// `text` as the value of a filter's option inside the graph: escaped for
// the option list, then for the graph.
std::string filterValue(const std::string& text) {
  return escaped(escaped(text, "\\':"), "\\'[],;");
}

std::string decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

struct Layout {
  cv::Size fileView;  // one view as the file holds it
  int sx = 1;         // the squeeze in width and in height
  int sy = 1;
};

Layout layoutOf(const CorrectedTake& take) {
  Layout layout;
  layout.sx = take.orientation == "VERTICALLY" ? take.squeeze : 1;
  layout.sy = take.orientation == "HORIZONTALLY" ? take.squeeze : 1;
  layout.fileView = {take.view.width / layout.sx, take.view.height / layout.sy};
  return layout;
}

// ffmpeg's test of a shot's frames: the frame counter counts from the
// take's first frame.
std::string shotFrames(const CorrectionsContent& content, const ShotCorrection& shot) {
  const int first = shot.firstFrame - content.take.firstFrame;
  const int last = shot.lastFrame - content.take.firstFrame;
  return "enable='between(n," + std::to_string(first) + "," + std::to_string(last) + ")'";
}

// The absolute path of a shot's .cube, written under `prefix`.
std::string cubePath(const std::string& prefix, int shot) {
  const std::string path = prefix + shotCubeName(shot);
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  return failed ? path : absolute.lexically_normal().string();
}

// The lut3d filters of the right eye: per shot with a grade, its .cube,
// enabled for the shot's frames. The filter takes RGB alone, so with any
// grade the right eye (and with it a stereo file's picture) is rendered in
// planar RGB.
std::string gradeFilters(const CorrectionsContent& content, const std::string& prefix) {
  std::string filters;
  for (const ShotCorrection& shot : content.shots)
    if (shot.grade)
      filters += ",lut3d=file=" + filterValue(cubePath(prefix, shot.shot)) + ":" +
                 shotFrames(content, shot);
  return filters;
}

// The perspective filters of one eye: per corrected shot, the source points
// of the output's corners, enabled for the shot's frames.
std::string eyeFilters(const CorrectionsContent& content, size_t eye, const Layout& layout) {
  std::string filters;
  const double w = layout.fileView.width;
  const double h = layout.fileView.height;
  for (const ShotCorrection& shot : content.shots) {
    if (!shot.applies) continue;
    const cv::Matx33d back = inFileGeometry(shot.eyes[eye].warp, layout.sx, layout.sy).inv();
    std::string points;
    for (const cv::Point2d corner :
         {cv::Point2d(0, 0), cv::Point2d(w, 0), cv::Point2d(0, h), cv::Point2d(w, h)}) {
      const cv::Point2d source = applyWarp(back, corner);
      points += decimal(source.x) + ":" + decimal(source.y) + ":";
    }
    filters += ",perspective=" + points + "interpolation=cubic:sense=source:" +
               shotFrames(content, shot);
  }
  return filters;
}

// The floating windows of one eye: per shot with one, its columns filled
// black (the left eye's at its left edge, the right eye's at its right),
// enabled for the shot's frames, after the warp. A view squeezed in width
// is masked over every file column the display's mask reaches into.
std::string maskFilters(const CorrectionsContent& content, size_t eye, const Layout& layout) {
  std::string filters;
  for (const ShotCorrection& shot : content.shots) {
    if (shot.floatingWindow <= 0) continue;
    const int columns = (shot.floatingWindow + layout.sx - 1) / layout.sx;
    filters += std::string(",fillborders=") + (eye == 0 ? "left=" : "right=") +
               std::to_string(columns) + ":mode=fixed:color=black:" + shotFrames(content, shot);
  }
  return filters;
}

// The 8-bit formats the perspective filter warps in. Listing them ahead of
// it lets ffmpeg pick the one nearest the input (planar RGB for RGB input)
// rather than a lossy conversion, so frames left alone come out unchanged.
const char* const kWarpFormats =
    "format=pix_fmts=yuv420p|yuv422p|yuv444p|yuvj420p|yuvj422p|yuvj444p|gbrp|gbrap|gray";

std::string size(const cv::Size& s) {
  return std::to_string(s.width) + ":" + std::to_string(s.height);
}

// The filter graph: the eyes cut apart (one stereo file) or read each from
// its input, the right eye graded, each eye warped and masked shot by shot,
// and put back together.
std::string filterGraph(const CorrectionsContent& content, const Layout& layout,
                        const std::string& prefix) {
  const std::string left = "," + std::string(kWarpFormats) + eyeFilters(content, 0, layout) +
                           maskFilters(content, 0, layout);
  const std::string right = "," + std::string(kWarpFormats) + gradeFilters(content, prefix) +
                            eyeFilters(content, 1, layout) + maskFilters(content, 1, layout);
  const std::string& orientation = content.take.orientation;
  if (orientation.empty()) return "[0:v]null" + left + "[left];\n[1:v]null" + right + "[right]\n";
  const bool sideBySide = orientation == "VERTICALLY";
  const std::string view = size(layout.fileView);
  const std::string rightAt = sideBySide ? std::to_string(layout.fileView.width) + ":0"
                                         : "0:" + std::to_string(layout.fileView.height);
  return "[0:v]split[first][second];\n[first]crop=" + view + ":0:0" + left + "[left];\n" +
         "[second]crop=" + view + ":" + rightAt + right + "[right];\n" + "[left][right]" +
         (sideBySide ? "hstack" : "vstack") + "[out]\n";
}

}  // namespace

std::string correctScript(const CorrectionsContent& content, const std::string& prefix) {
  const CorrectedTake& take = content.take;
  const bool pair = take.orientation.empty();
  const Layout layout = layoutOf(take);
  std::string inputs;
  for (const std::string& path : take.paths) inputs += " -i " + shellWord(path);
  std::string script =
      "#!/bin/sh\n"
      "# Renders the corrected take of " +
      take.name +
      " with ffmpeg: each shot's\n"
      "# correction of corrections.json beside this script (eyes warped, cropped\n"
      "# and scaled back to full size); shots without one pass untouched.\n";
  if (std::any_of(content.shots.begin(), content.shots.end(),
                  [](const ShotCorrection& shot) { return shot.grade.has_value(); }))
    script +=
        "# The right eye of a shot with a grade first goes through its .cube\n"
        "# (ffmpeg's lut3d), which maps its colour onto the left eye's.\n";
  if (std::any_of(content.shots.begin(), content.shots.end(),
                  [](const ShotCorrection& shot) { return shot.floatingWindow > 0; }))
    script +=
        "# A shot with a floating window then gets black columns at the left edge\n"
        "# of the left eye and the right edge of the right eye (ffmpeg's fillborders).\n";
  script +=
      pair ? "# Usage: correct.sh LEFT_OUTPUT RIGHT_OUTPUT\n" : "# Usage: correct.sh OUTPUT\n";
  script +=
      "# An output named .png or .tif gets a still picture, .mp4 an H.264 video,\n"
      "# .mov a ProRes 422 HQ one, any other name (e.g. .mkv) a lossless FFV1\n"
      "# video. A render that fails leaves no output behind.\n"
      "set -eu\n";
  script += pair ? "if [ \"$#\" -ne 2 ]; then\n"
                   "  echo \"usage: $0 LEFT_OUTPUT RIGHT_OUTPUT\" >&2\n"
                 : "if [ \"$#\" -ne 1 ]; then\n"
                   "  echo \"usage: $0 OUTPUT\" >&2\n";
  script +=
      "  exit 2\n"
      "fi\n"
      "command -v ffmpeg >/dev/null 2>&1 || { echo \"$0: the ffmpeg program is needed\" >&2; "
      "exit 1; }\n"
      "encoding() {\n"
      "  case \"$1\" in\n"
      "    *.png|*.PNG|*.tif|*.TIF|*.tiff|*.TIFF) echo \"-frames:v 1 -update 1\" ;;\n"
      "    *.mp4|*.MP4|*.m4v|*.M4V) echo \"-c:v libx264 -crf 16 -preset fast -pix_fmt yuv420p\" "
      ";;\n"
      "    *.mov|*.MOV) echo \"-c:v prores_ks -profile:v hq -pix_fmt yuv422p10le\" ;;\n"
      "    *) echo \"-c:v ffv1 -level 3 -g 1\" ;;\n"
      "  esac\n"
      "}\n"
      "graph=$(mktemp)\n"
      "trap 'rm -f \"$graph\"' EXIT\n"
      "trap 'exit 130' INT TERM\n"
      "cat >\"$graph\" <<'GRAPH'\n" +
      filterGraph(content, layout, prefix) + "GRAPH\n";
  // The encoding options are words the shell splits on purpose.
  if (pair) {
    script +=
        "ffmpeg -nostdin -hide_banner -loglevel error -y" + inputs +
        " -filter_complex_script \"$graph\" \\\n"
        "  -map '[left]' $(encoding \"$1\") \"$1\" -map '[right]' $(encoding \"$2\") \"$2\" ||\n"
        "  { status=$?; rm -f \"$1\" \"$2\"; exit \"$status\"; }\n";
  } else {
    script += "ffmpeg -nostdin -hide_banner -loglevel error -y" + inputs +
              " -filter_complex_script \"$graph\" \\\n"
              "  -map '[out]' $(encoding \"$1\") \"$1\" ||\n"
              "  { status=$?; rm -f \"$1\"; exit \"$status\"; }\n";
  }
  return script;
}

}  // namespace stereolint::corrections
