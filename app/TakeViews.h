// How the pictures of a run's inputs are cut into views, checked once the
// inputs are open: by a run before its first frame, and by --count-frames,
// so that both refuse the same inputs with the same words.
#pragma once

#include <optional>
#include <utility>

#include <opencv2/core.hpp>

#include "app/RunOptions.h"
#include "sources/InputStreams.h"
#include "util/Expected.h"

namespace stereolint {

struct TakeViews {
  // The size of the first input's pictures (its header, or first picture).
  cv::Size pictureSize;
  // Where each view lies in a picture that holds both; none for a pair of
  // inputs, whose pictures are one view each.
  std::optional<std::pair<cv::Rect, cv::Rect>> regions;
  // A view's size once --squeeze stretched it back, in pixels.
  cv::Size view;
};

// The views of `streams` (at least one) under `options`. Failures, with the
// first input's topic: two inputs of different sizes, pictures too small
// to cut into two views, views too large for the image library's remapping
// (SHRT_MAX pixels or more in a direction).
Expected<TakeViews> takeViews(const InputStreams& streams, const RunOptions& options);

}  // namespace stereolint
