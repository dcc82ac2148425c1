// Which of the selected frames of a take a run analyses: all of them, every
// N-th frame of the take (--every N), or a list of places chosen beforehand
// (K frames spread over each shot, --per-shot K).
//
// Places count the pictures of the take from 1, as "-s" does. The frames a
// sampling passes over are skipped by the reader (see FrameStream::skip),
// never analysed, and leave no trace in the results.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sources/FrameSelection.h"

namespace stereolint {

class FrameSampling {
 public:
  // Every selected frame.
  FrameSampling() = default;

  // Places 1, 1 + n, 1 + 2n, … of the take (counted from its first picture,
  // not from the first selected one, so that a take split into ranges over
  // several runs analyses the same frames as one run). `n` of at least 1.
  static FrameSampling every(int n);

  // Exactly `places` (any order; repeats count once).
  static FrameSampling places(std::vector<std::int64_t> places);

  // True when the sampling takes every frame: nothing is skipped.
  bool takesAll() const { return step == 1 && !chosen; }

  bool takes(std::int64_t place) const;

  // The last place before `place` that the sampling alone takes; nothing
  // when there is none.
  std::optional<std::int64_t> lastBefore(std::int64_t place) const;

  // The first place at or after `place` that both `selection` and the
  // sampling take; nothing when there is none.
  std::optional<std::int64_t> nextFrom(std::int64_t place, const FrameSelection& selection) const;

  // How many of the places 1 to `total` both take.
  int countWithin(int total, const FrameSelection& selection) const;
  // The last of the places 1 to `total` that both take, where reading a
  // take of `total` frames ends; `total` when they take none of them (the
  // take is read through to say what it held).
  int lastWithin(int total, const FrameSelection& selection) const;

 private:
  std::int64_t step = 1;
  std::optional<std::vector<std::int64_t>> chosen;  // sorted, unique
};

}  // namespace stereolint
