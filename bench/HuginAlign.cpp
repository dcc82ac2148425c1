#include "HuginAlign.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFieldOfView = 50.0;
const char* const kProgram = "align_image_stack";

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// The second image line's numbers r, p and v of a .pto project; false when
// the file has no second image line.
bool readSecondImage(const std::string& pto, double& roll, double& pitch, double& fov) {
  std::ifstream file(pto);
  std::string line;
  int images = 0;
  while (std::getline(file, line)) {
    if (line.rfind("i ", 0) != 0 || ++images != 2) continue;
    std::istringstream words(line);
    std::string word;
    int found = 0;
    while (words >> word) {
      const char name = word[0];
      if (word.size() < 2 || word[1] == '=') continue;  // "v=0": linked to the first image
      const double value = std::atof(word.c_str() + 1);
      double* target = name == 'r' ? &roll : name == 'p' ? &pitch : name == 'v' ? &fov : nullptr;
      if (target == nullptr) continue;
      *target = value;
      ++found;
    }
    return found == 3;
  }
  return false;
}

}  // namespace

bool huginAvailable() { return std::system("command -v align_image_stack >/dev/null 2>&1") == 0; }

HuginReading runHugin(const std::string& left, const std::string& right, const std::string& pto,
                      int width) {
  HuginReading reading;
  std::remove(pto.c_str());
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
    execlp(kProgram, kProgram, "-S", "-m", "--use-given-order", "-f", "50", "-p", pto.c_str(),
           left.c_str(), right.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  reading.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  reading.cpuMs = 1000 * (seconds(usage.ru_utime) + seconds(usage.ru_stime));
  double roll = 0, pitch = 0, fov = kFieldOfView;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !readSecondImage(pto, roll, pitch, fov)) {
    return reading;
  }
  const double halfField = kFieldOfView / 2 * kPi / 180;
  const double focal = width / 2.0 / std::tan(halfField);
  reading.ok = true;
  reading.vertical = -focal * std::tan(pitch * kPi / 180);
  reading.rotationDegrees = -roll;
  reading.scale = std::tan(fov / 2 * kPi / 180) / std::tan(halfField);
  return reading;
}

}  // namespace bench
