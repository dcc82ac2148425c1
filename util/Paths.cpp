#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "util/Constants.h"

namespace stereolint {

bool fileExists(const std::string& path) {
  // Only a regular file, or a link to one, is looked at. A folder opens as a
  // stream on POSIX systems (only reading it fails), but it is no input
  // file, as it is not on Windows either; and opening a named pipe waits
  // for a writer, for ever if none comes.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const std::ifstream stream(path);
  return stream.good();
}

std::string fileExtension(const std::string& path) {
  const size_t dot = path.rfind(constants().dot);
  if (dot == std::string::npos) return constants().empty;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension;
}

std::string fileBaseName(const std::string& path) {
  const size_t separator = path.rfind(constants().folderSeparator);
  std::string base = separator == std::string::npos ? path : path.substr(separator + 1);
  const size_t dot = base.rfind(constants().dot);
  if (dot != std::string::npos) base.erase(dot);
  return base;
}

}  // namespace stereolint
