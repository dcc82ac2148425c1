// A virtual X screen (Xvfb) for tests of windows, with screenshots and key
// presses through Debian's X tools (xwd, xdotool).
#pragma once

#include <sys/types.h>

#include <string>

#include <opencv2/core.hpp>

namespace stereolint::test {

class VirtualScreen {
 public:
  // Starts Xvfb on a free display number with one 24-bit screen of `size`.
  // available() is false when Xvfb is not installed or did not come up.
  explicit VirtualScreen(cv::Size size = cv::Size(1280, 720));
  ~VirtualScreen();
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  bool available() const { return server > 0; }
  // The value for DISPLAY, e.g. ":87".
  const std::string& display() const { return name; }

  // The whole screen as a BGR picture, read through xwd; empty on failure.
  cv::Mat screenshot() const;
  // The position and size of the first window whose name is `title`, or an
  // empty rectangle when none is mapped.
  cv::Rect window(const std::string& title) const;
  // Presses and releases `key` (an X key name such as "space") in the
  // window named `title`.
  bool pressKey(const std::string& title, const std::string& key) const;

 private:
  pid_t server = -1;
  std::string name;
};

// Decodes an XWD file (as xwd writes it) of 24-bit TrueColor pixels stored
// in 3 or 4 bytes, least significant byte first; an empty picture for
// anything else.
cv::Mat readXwd(const std::string& bytes);

}  // namespace stereolint::test
