#include "util/StageTimes.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace stereolint::timing {

namespace {

using Nanoseconds = std::chrono::nanoseconds;

struct Figures {
  std::array<std::atomic<std::int64_t>, kStageCount> totals{};
  std::array<std::atomic<std::int64_t>, kStageCount> counts{};
  std::mutex framesMutex;
  std::vector<std::int64_t> frames;
};

Figures& figures() {
  static Figures instance;
  return instance;
}

const std::string& reportPath() {
  static const std::string path = [] {
    const char* value = std::getenv("STEREOLINT_TIMINGS");
    return std::string(value != nullptr ? value : "");
  }();
  return path;
}

double milliseconds(std::int64_t nanoseconds) { return static_cast<double>(nanoseconds) / 1e6; }

}  // namespace

const char* stageName(Stage stage) {
  static const char* const names[kStageCount] = {"decoding", "matching", "measuring", "drawing",
                                                 "writing"};
  return names[static_cast<int>(stage)];
}

bool enabled() {
  static const bool on = !reportPath().empty();
  return on;
}

void addStageTime(Stage stage, std::chrono::steady_clock::duration elapsed) {
  if (!enabled()) return;
  const auto index = static_cast<size_t>(stage);
  figures().totals[index] += std::chrono::duration_cast<Nanoseconds>(elapsed).count();
  ++figures().counts[index];
}

void addFrameTime(std::chrono::steady_clock::duration elapsed) {
  if (!enabled()) return;
  Figures& all = figures();
  const std::lock_guard<std::mutex> lock(all.framesMutex);
  all.frames.push_back(std::chrono::duration_cast<Nanoseconds>(elapsed).count());
}

void writeStageTimes() {
  if (!enabled()) return;
  Figures& all = figures();
  std::FILE* file = std::fopen(reportPath().c_str(), "a");
  if (file == nullptr) return;
  for (int i = 0; i < kStageCount; ++i) {
    std::fprintf(file, "stage %s %.3f %lld\n", stageName(static_cast<Stage>(i)),
                 milliseconds(all.totals[static_cast<size_t>(i)].exchange(0)),
                 static_cast<long long>(all.counts[static_cast<size_t>(i)].exchange(0)));
  }
  const std::lock_guard<std::mutex> lock(all.framesMutex);
  for (const std::int64_t frame : all.frames) std::fprintf(file, "frame %.3f\n", milliseconds(frame));
  all.frames.clear();
  std::fclose(file);
}

}  // namespace stereolint::timing
