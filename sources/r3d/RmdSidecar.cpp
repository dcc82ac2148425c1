#include "sources/r3d/RmdSidecar.h"

#include <algorithm>
#include <fstream>
#include <optional>

#include "util/Constants.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

constexpr const char* kHorizontalMarker = "<fliphorizontal type=\"bool\" value=\"true\"/>";
constexpr const char* kVerticalMarker = "<flipvertical type=\"bool\" value=\"true\"/>";

std::optional<std::string> sidecarPath(const std::string& clipPath) {
  const std::size_t dot = clipPath.rfind(constants().dot);
  if (dot == std::string::npos) return std::nullopt;
  const std::size_t rest = std::min(dot + 4, clipPath.size());
  return clipPath.substr(0, dot + 1) + "RMD" + clipPath.substr(rest);
}

SidecarFlags sidecarFlagsOf(const std::string& clipPath) {
  const std::optional<std::string> sidecar = sidecarPath(clipPath);
  if (!sidecar || !fileExists(*sidecar)) return {};
  std::ifstream stream(*sidecar);
  return readSidecarFlags(stream);
}

}  // namespace

SidecarFlags readSidecarFlags(std::istream& text) {
  SidecarFlags flags;
  std::string line;
  while (!(flags.horizontal && flags.vertical) && std::getline(text, line)) {
    flags.horizontal = flags.horizontal || line.find(kHorizontalMarker) != std::string::npos;
    flags.vertical = flags.vertical || line.find(kVerticalMarker) != std::string::npos;
  }
  return flags;
}

bool isFlippedHorizontally(const std::string& clipPath) {
  return sidecarFlagsOf(clipPath).horizontal;
}

bool isFlippedVertically(const std::string& clipPath) { return sidecarFlagsOf(clipPath).vertical; }

}  // namespace stereolint
