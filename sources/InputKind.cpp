#include "sources/InputKind.h"

#include <algorithm>
#include <vector>

#include "sources/ImageSequence.h"
#include "util/Constants.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

bool listed(const std::vector<std::string>& extensions, const std::string& extension) {
  return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

}  // namespace

bool namesSequence(const std::string& path) {
  if (!looksLikeSequence(path)) return false;
  const std::string extension = fileExtension(path);
  return !fileExists(path) || extension == "DPX" || extension == "EXR";
}

InputKind inputKind(const std::string& first, const std::string& second) {
  if (namesSequence(first) && (second == first || namesSequence(second))) {
    return InputKind::SEQUENCE;
  }
  const std::string extension = fileExtension(first);
  if (fileExtension(second) != extension) return InputKind::UNSUPPORTED;
  const Constants& table = constants();
  if (listed(table.r3dExtensions, extension)) return InputKind::R3D;
  if (listed(table.videoExtensions, extension)) return InputKind::VIDEO;
  if (listed(table.imageExtensions, extension)) return InputKind::IMAGE;
  return InputKind::UNSUPPORTED;
}

}  // namespace stereolint
