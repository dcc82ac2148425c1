// How many workers a run starts: as many as "-t" asks, unless the memory
// available cannot hold that many frames in flight.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <opencv2/core.hpp>

namespace stereolint {

struct WorkerBudget {
  int asked = 1;                           // "-t"
  int workers = 1;                         // at least 1, at most `asked`
  std::uint64_t perFrame = 0;              // bytes one frame in flight takes
  std::optional<std::uint64_t> available;  // bytes available at the start

  bool bounded() const { return workers < asked; }
};

// The workers for `asked` workers on views of `view` with a method taking
// `bytesPerViewPixel`: three quarters of the `available` memory are shared
// among the frames in flight (the rest is left to the program itself, the
// decoders and the system); at least one worker runs, however little is
// available. Without a figure for the available memory, `asked`.
WorkerBudget workerBudget(int asked, cv::Size view, double bytesPerViewPixel,
                          std::optional<std::uint64_t> available);

// The warning of a bounded budget, e.g. "Running 12 workers, not the 40
// asked: a frame of 1920 x 1080 views takes about 316 MiB and 5120 MiB of
// memory is available".
std::string boundedWorkersText(const WorkerBudget& budget, cv::Size view);

}  // namespace stereolint
