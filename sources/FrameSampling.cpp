#include "sources/FrameSampling.h"

#include <algorithm>
#include <climits>

namespace stereolint {

FrameSampling FrameSampling::every(int n) {
  FrameSampling sampling;
  sampling.step = std::max(n, 1);
  return sampling;
}

FrameSampling FrameSampling::places(std::vector<std::int64_t> places) {
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  FrameSampling sampling;
  sampling.chosen = std::move(places);
  return sampling;
}

bool FrameSampling::takes(std::int64_t place) const {
  if (place < 1) return false;
  if (chosen) return std::binary_search(chosen->begin(), chosen->end(), place);
  return (place - 1) % step == 0;
}

std::optional<std::int64_t> FrameSampling::lastBefore(std::int64_t place) const {
  if (chosen) {
    const auto found = std::lower_bound(chosen->begin(), chosen->end(), place);
    if (found == chosen->begin() || *(found - 1) < 1) return std::nullopt;
    return *(found - 1);
  }
  const std::int64_t before = place - 1;
  if (before < 1) return std::nullopt;
  return before - (before - 1) % step;
}

namespace {

// The first place at or after `place` that the sampling alone takes.
std::optional<std::int64_t> nextSampled(std::int64_t place, std::int64_t step,
                                        const std::optional<std::vector<std::int64_t>>& chosen) {
  place = std::max<std::int64_t>(place, 1);
  if (chosen) {
    const auto found = std::lower_bound(chosen->begin(), chosen->end(), place);
    if (found == chosen->end()) return std::nullopt;
    return *found;
  }
  const std::int64_t offset = (place - 1) % step;
  return offset == 0 ? place : place + (step - offset);
}

}  // namespace

std::optional<std::int64_t> FrameSampling::nextFrom(std::int64_t place,
                                                    const FrameSelection& selection) const {
  // Alternates between the two until both take the same place; each turn
  // moves forward, and the selection's places end at INT_MAX.
  for (;;) {
    if (place > INT_MAX) return std::nullopt;
    const int selected = selection.nextFrom(static_cast<int>(std::max<std::int64_t>(place, 1)));
    if (selected == 0) return std::nullopt;
    const std::optional<std::int64_t> sampled = nextSampled(selected, step, chosen);
    if (!sampled) return std::nullopt;
    if (*sampled == selected) return selected;
    place = *sampled;
  }
}

int FrameSampling::countWithin(int total, const FrameSelection& selection) const {
  if (takesAll()) return selection.countWithin(total);
  int count = 0;
  for (auto place = nextFrom(1, selection); place && *place <= total;
       place = nextFrom(*place + 1, selection)) {
    ++count;
  }
  return count;
}

int FrameSampling::lastWithin(int total, const FrameSelection& selection) const {
  std::int64_t last = 0;
  if (takesAll()) {
    last = countWithin(total, selection) > 0 ? std::min(total, selection.last()) : 0;
  } else {
    for (auto place = nextFrom(1, selection); place && *place <= total;
         place = nextFrom(*place + 1, selection))
      last = *place;
  }
  return last > 0 ? static_cast<int>(last) : total;
}

}  // namespace stereolint
