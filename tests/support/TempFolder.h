// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes out of scope.
#pragma once

#include <set>
#include <string>

namespace stereolint::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path, without a trailing separator.
  const std::string& path() const { return root; }
  // `name` inside the folder.
  std::string file(const std::string& name) const { return root + "/" + name; }
  // The names of the entries of the folder `sub` inside it.
  std::set<std::string> namesIn(const std::string& sub) const;

 private:
  std::string root;
};

// Writes `text` to `path`, replacing the file.
void writeTextFile(const std::string& path, const std::string& text);
// The whole content of `path`, or "" when it cannot be read.
std::string readTextFile(const std::string& path);

}  // namespace stereolint::test
