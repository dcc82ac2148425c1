#include "tools/correct/ShotWarps.h"

namespace stereolint::correct {

std::shared_ptr<const corrections::WarpMaps> ShotWarps::of(const ShotPlan& shot, int eye,
                                                           const cv::Matx33d& warp,
                                                           cv::Size size) {
  const Key key{&shot, eye, size.width, size.height};
  // Worked out under the lock: a second worker on the same shot waits for
  // the first rather than tracing the same positions beside it.
  const std::lock_guard<std::mutex> lock(guard);
  auto& maps = kept[key];
  if (!maps) maps = std::make_shared<const corrections::WarpMaps>(warp, size);
  return maps;
}

void ShotWarps::forgetBefore(std::int64_t frame) {
  const std::lock_guard<std::mutex> lock(guard);
  for (auto entry = kept.begin(); entry != kept.end();) {
    if (std::get<0>(entry->first)->lastFrame < frame)
      entry = kept.erase(entry);
    else
      ++entry;
  }
}

}  // namespace stereolint::correct
