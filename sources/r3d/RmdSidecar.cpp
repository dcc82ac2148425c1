#include "sources/r3d/RmdSidecar.h"

#include <algorithm>
#include <fstream>

#include "sources/Constants.h"
#include "sources/Paths.h"

namespace stereolint {

namespace {

bool sidecarHasMarker(const std::string& clipPath, const std::string& marker) {
  const std::size_t dot = clipPath.rfind(constants().dot);
  if (dot == std::string::npos) return false;
  const std::size_t rest = std::min(dot + 4, clipPath.size());
  const std::string sidecar = clipPath.substr(0, dot + 1) + "RMD" + clipPath.substr(rest);
  if (!fileExists(sidecar)) return false;

  std::ifstream stream(sidecar);
  std::string line;
  while (std::getline(stream, line)) {
    if (line.find(marker) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

bool isFlippedHorizontally(const std::string& clipPath) {
  return sidecarHasMarker(clipPath, "<fliphorizontal type=\"bool\" value=\"true\"/>");
}

bool isFlippedVertically(const std::string& clipPath) {
  return sidecarHasMarker(clipPath, "<flipvertical type=\"bool\" value=\"true\"/>");
}

}  // namespace stereolint
