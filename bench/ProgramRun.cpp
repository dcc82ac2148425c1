#include "ProgramRun.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace bench {

const char* const kBenchParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";

namespace {

double seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

void readStageTimes(const std::string& path, ProgramRun& run) {
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "stage") {
      std::string name;
      double ms = 0;
      words >> name >> ms;
      run.stageMs[name] += ms;
    } else if (kind == "frame") {
      double ms = 0;
      words >> ms;
      run.frameMs.push_back(ms);
    }
  }
}

constexpr int kSampleMs = 250;

// VmRSS of a running process, in MiB; 0 when it cannot be read.
double residentMiB(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

void pinToFirstAllowedCore() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &allowed)) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    sched_setaffinity(0, sizeof one, &one);
    return;
  }
}

std::string& programPath() {
  static std::string path = STEREOLINT_BINARY;
  return path;
}

}  // namespace

const std::string& program() { return programPath(); }

void setProgram(const std::string& path) { programPath() = path; }

ProgramRun runStereolint(const std::string& input, const std::string& output, int threads,
                         bool pinToOneCore) {
  return runProgram({"-m", "CONSOLE", "-i", input, "-o", "VERTICALLY", "-d", "Stereolint", "-t",
                     std::to_string(threads), "-r", output, "-p", kBenchParameters},
                    output, pinToOneCore);
}

ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& output,
                      bool pinToOneCore) {
  const std::string timings = output + ".timings";
  std::remove(timings.c_str());
  std::vector<char*> words = {const_cast<char*>(program().c_str())};
  for (const std::string& argument : arguments) words.push_back(const_cast<char*>(argument.c_str()));
  words.push_back(nullptr);
  std::fflush(stdout);  // the child must not print what this process buffered
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
    if (pinToOneCore) pinToFirstAllowedCore();
    setenv("STEREOLINT_TIMINGS", timings.c_str(), 1);
    execv(program().c_str(), words.data());
    _exit(127);
  }
  ProgramRun run;
  int status = 0;
  rusage usage{};
  // Resident memory is sampled while the program runs, to tell a peak
  // from a growth.
  while (wait4(child, &status, WNOHANG, &usage) == 0) {
    const double resident = residentMiB(child);
    if (resident > 0) run.residentMiB.push_back(resident);
    std::this_thread::sleep_for(std::chrono::milliseconds(kSampleMs));
  }
  run.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  readStageTimes(timings, run);
  std::remove(timings.c_str());
  return run;
}

std::string peakByPart(const std::vector<double>& residentMiB, size_t parts) {
  std::string text;
  for (size_t part = 0; part < parts && !residentMiB.empty(); ++part) {
    const auto begin =
        residentMiB.begin() + static_cast<std::ptrdiff_t>(part * residentMiB.size() / parts);
    const auto end =
        residentMiB.begin() + static_cast<std::ptrdiff_t>((part + 1) * residentMiB.size() / parts);
    char figure[32];
    std::snprintf(figure, sizeof figure, " %.0f", begin < end ? *std::max_element(begin, end) : 0.0);
    text += figure;
  }
  return text;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)) +
          upper) / 2;
}

}  // namespace bench
