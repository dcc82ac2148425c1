// Captures everything the process writes to its standard output, through
// C stdio and C++ streams alike, while the object lives.
#pragma once

#include <string>

namespace stereolint::test {

class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Ends the capture and returns what was written since it began. Further
  // calls return the same text.
  std::string text();

 private:
  void stop();

  int savedDescriptor = -1;
  std::string capturePath;
  std::string captured;
};

}  // namespace stereolint::test
