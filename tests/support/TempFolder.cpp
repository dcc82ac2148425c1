#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace stereolint::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "stereolint-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temp folder");
  root = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(root, error);
}

std::set<std::string> TempFolder::namesIn(const std::string& sub) const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file(sub))) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void writeTextFile(const std::string& path, const std::string& text) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream << text;
}

std::string readTextFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

}  // namespace stereolint::test
