#include "util/ToolFacts.h"

#include <opencv2/core/utility.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

#include "util/BuildRevision.h"

namespace stereolint {

namespace {

// FFmpeg packs a library's version as MAJOR << 16 | MINOR << 8 | MICRO.
std::string libraryVersion(unsigned packed) {
  return std::to_string(packed >> 16) + "." + std::to_string((packed >> 8) & 0xFFu) + "." +
         std::to_string(packed & 0xFFu);
}

}  // namespace

const ToolFacts& toolFacts() {
  static const ToolFacts facts{
      "Stereolint",
      kBuildVersion,
      kBuildRevision,
      {{"OpenCV", cv::getVersionString()},
       {"FFmpeg", av_version_info()},
       {"libavformat", libraryVersion(avformat_version())},
       {"libavcodec", libraryVersion(avcodec_version())},
       {"libavutil", libraryVersion(avutil_version())},
       {"libswscale", libraryVersion(swscale_version())}}};
  return facts;
}

std::string versionText(const std::string& programName) {
  const ToolFacts& facts = toolFacts();
  std::string text = programName + " " + facts.version + "\nrevision " + facts.revision + "\n";
  // The image library and FFmpeg on a line each, FFmpeg's own libraries
  // after its release.
  const auto& libraries = facts.libraries;
  text += libraries[0].first + " " + libraries[0].second + "\n";
  text += libraries[1].first + " " + libraries[1].second + " (";
  for (size_t k = 2; k < libraries.size(); ++k)
    text += (k == 2 ? "" : ", ") + libraries[k].first + " " + libraries[k].second;
  return text + ")\n";
}

}  // namespace stereolint
