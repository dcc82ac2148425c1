#include "support/VirtualScreen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <opencv2/imgproc.hpp>

#include "support/Process.h"

namespace stereolint::test {

namespace {

std::uint32_t bigEndian32(const std::string& bytes, size_t at) {
  const auto b = [&](size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])); };
  return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

bool commandExists(const std::string& name) {
  for (const char* folder : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
    if (access((std::string(folder) + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

ProcessOptions onDisplay(const std::string& display) {
  ProcessOptions options;
  options.setEnv["DISPLAY"] = display;
  return options;
}

}  // namespace

VirtualScreen::VirtualScreen(cv::Size size) {
  if (!commandExists("Xvfb")) return;
  // A display number unlikely to be taken, derived from the process id.
  for (int attempt = 0; attempt < 20 && server < 0; ++attempt) {
    const int number = 100 + (getpid() + attempt * 37) % 800;
    if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
        std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
      continue;
    }
    name = ":" + std::to_string(number);
    const std::string screen =
        std::to_string(size.width) + "x" + std::to_string(size.height) + "x24";
    const pid_t child = fork();
    if (child == 0) {
      const int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      // Without -noreset the server resets whenever its last client leaves
      // (the readiness check below is one) and refuses connections while
      // it does.
      execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Ready once it answers a client.
    for (int wait = 0; wait < 100; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (waitpid(child, nullptr, WNOHANG) == child) break;
      if (runProcess("/usr/bin/xdpyinfo", {}, onDisplay(name)).exitCode == 0) {
        server = child;
        break;
      }
    }
    if (server < 0) {
      kill(child, SIGTERM);
      waitpid(child, nullptr, 0);
    }
  }
}

VirtualScreen::~VirtualScreen() {
  if (server > 0) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
}

cv::Mat VirtualScreen::screenshot() const {
  const ProcessResult shot = runProcess("/usr/bin/xwd", {"-root", "-silent"}, onDisplay(name));
  return shot.exitCode == 0 ? readXwd(shot.out) : cv::Mat();
}

cv::Rect VirtualScreen::window(const std::string& title) const {
  const ProcessResult found = runProcess(
      "/usr/bin/xdotool",
      {"search", "--onlyvisible", "--name", "^" + title + "$", "getwindowgeometry", "--shell"},
      onDisplay(name));
  if (found.exitCode != 0) return cv::Rect();
  std::istringstream lines(found.out);
  cv::Rect rect;
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (key == "X") rect.x = value;
    if (key == "Y") rect.y = value;
    if (key == "WIDTH") rect.width = value;
    if (key == "HEIGHT") rect.height = value;
  }
  return rect;
}

bool VirtualScreen::pressKey(const std::string& title, const std::string& key) const {
  return runProcess("/usr/bin/xdotool",
                    {"search", "--onlyvisible", "--name", "^" + title + "$", "windowfocus",
                     "--sync", "key", key},
                    onDisplay(name))
             .exitCode == 0;
}

cv::Mat readXwd(const std::string& bytes) {
  if (bytes.size() < 100) return cv::Mat();
  const std::uint32_t headerSize = bigEndian32(bytes, 0);
  const std::uint32_t pixmapDepth = bigEndian32(bytes, 12);
  const auto width = static_cast<int>(bigEndian32(bytes, 16));
  const auto height = static_cast<int>(bigEndian32(bytes, 20));
  const std::uint32_t byteOrder = bigEndian32(bytes, 28);  // 0: least significant byte first
  const std::uint32_t bitsPerPixel = bigEndian32(bytes, 44);
  const std::uint32_t bytesPerLine = bigEndian32(bytes, 48);
  const std::uint32_t colours = bigEndian32(bytes, 76);
  const size_t pixels = headerSize + size_t{colours} * 12;
  if (pixmapDepth != 24 || byteOrder != 0 || width <= 0 || height <= 0 ||
      bytes.size() < pixels + size_t{bytesPerLine} * static_cast<size_t>(height)) {
    return cv::Mat();
  }
  // Pixels 0x(00)RRGGBB stored least significant byte first are the bytes
  // B, G, R (and one unused byte at 32 bits); lines may be padded.
  const std::uint32_t bytesPerPixel = bitsPerPixel / 8;
  if (bytesPerPixel != 3 && bytesPerPixel != 4) return cv::Mat();
  if (bytesPerLine < bytesPerPixel * static_cast<std::uint32_t>(width)) return cv::Mat();
  char* data = const_cast<char*>(bytes.data() + pixels);
  if (bytesPerPixel == 3) return cv::Mat(height, width, CV_8UC3, data, bytesPerLine).clone();
  cv::Mat bgr;
  cv::cvtColor(cv::Mat(height, width, CV_8UC4, data, bytesPerLine), bgr, cv::COLOR_BGRA2BGR);
  return bgr;
}

}  // namespace stereolint::test
