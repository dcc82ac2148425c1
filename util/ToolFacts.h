// What a report and `--version` say about the program that made them: its
// name, its version, the source revision it was built from, and the versions
// of the image library and of FFmpeg's libraries it runs with.
//
// The same facts for every program of the project (Stereolint and
// stereolint-report), so a report merged by stereolint-report carries the
// same facts as one Stereolint run of the same build.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace stereolint {

struct ToolFacts {
  std::string program;   // "Stereolint", the name of the project's programs as one tool
  std::string version;   // the project's version, e.g. "1.0.0"
  // `git describe --always --dirty` of the source tree when it was
  // configured (e.g. "d06dac9", "v1.0.0-3-gd06dac9-dirty"); "unknown" when
  // it was built from a tree that is no repository.
  std::string revision;
  // The libraries as loaded at run time, by name, in a fixed order: "OpenCV"
  // (e.g. "4.6.0"), "FFmpeg" (the release, e.g. "5.1.4-0+deb12u1"), then
  // "libavformat", "libavcodec", "libavutil", "libswscale" as
  // MAJOR.MINOR.MICRO.
  std::vector<std::pair<std::string, std::string>> libraries;
};

// The facts of this process; made on first use, never changed afterwards.
const ToolFacts& toolFacts();

// The text `--version` prints for `programName`, every line ending with a
// newline:
//   Stereolint 1.0.0
//   revision d06dac9
//   OpenCV 4.6.0
//   FFmpeg 5.1.4-0+deb12u1 (libavformat 59.27.100, libavcodec 59.37.100, …)
std::string versionText(const std::string& programName);

}  // namespace stereolint
