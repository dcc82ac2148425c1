// The warps of the shots being rendered, each worked out once (WarpMaps.h)
// per eye and picture size and shared by the workers: every frame of a
// shot is warped alike, so only the first pays for tracing the positions.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "corrections/WarpMaps.h"
#include "tools/correct/CorrectionsPlan.h"

namespace stereolint::correct {

class ShotWarps {
 public:
  // The warp `warp` of eye `eye` (0 left, 1 right) of `shot` over pictures
  // of `size`, worked out on the first call and kept. Safe to call from
  // several workers at once; `warp` must be the same on every call with
  // the same shot, eye and size.
  std::shared_ptr<const corrections::WarpMaps> of(const ShotPlan& shot, int eye,
                                                  const cv::Matx33d& warp, cv::Size size);

  // Lets go of the warps of shots that end before frame `frame`: the
  // frames are rendered in order, so none is asked for again.
  void forgetBefore(std::int64_t frame);

 private:
  using Key = std::tuple<const ShotPlan*, int, int, int>;  // shot, eye, width, height
  std::mutex guard;
  std::map<Key, std::shared_ptr<const corrections::WarpMaps>> kept;
};

}  // namespace stereolint::correct
