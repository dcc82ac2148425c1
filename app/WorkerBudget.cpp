#include "app/WorkerBudget.h"

#include <algorithm>
#include <cmath>

#include "sources/FrameStream.h"

namespace stereolint {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

}  // namespace

WorkerBudget workerBudget(int asked, cv::Size view, double bytesPerViewPixel,
                          std::optional<std::uint64_t> available) {
  WorkerBudget budget;
  budget.asked = std::max(asked, 1);
  budget.workers = budget.asked;
  budget.available = available;
  budget.perFrame = static_cast<std::uint64_t>(
      std::ceil(static_cast<double>(view.area()) * std::max(bytesPerViewPixel, 0.0)));
  if (!available || budget.perFrame == 0) return budget;
  const std::uint64_t fitting = *available / 4 * 3 / budget.perFrame;
  budget.workers = static_cast<int>(
      std::clamp<std::uint64_t>(fitting, 1, static_cast<std::uint64_t>(budget.asked)));
  return budget;
}

std::string boundedWorkersText(const WorkerBudget& budget, cv::Size view) {
  const auto mib = [](std::uint64_t bytes) { return std::to_string((bytes + kMiB - 1) / kMiB); };
  return "Running " + std::to_string(budget.workers) + (budget.workers == 1 ? " worker" : " workers") +
         ", not the " + std::to_string(budget.asked) + " asked: a frame of " +
         sizeText(view) +
         " views takes about " + mib(budget.perFrame) + " MiB and " +
         mib(budget.available.value_or(0)) + " MiB of memory is available";
}

}  // namespace stereolint
