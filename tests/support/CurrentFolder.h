// Makes `path` the process's current folder for the life of the object, for
// tests of relative output paths; the previous one comes back afterwards.
#pragma once

#include <filesystem>

namespace stereolint::test {

class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& path) { std::filesystem::current_path(path); }
  ~CurrentFolder() { std::filesystem::current_path(previous, ignored); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path previous = std::filesystem::current_path();
  std::error_code ignored;
};

}  // namespace stereolint::test
