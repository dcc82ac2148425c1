#include "sources/FrameSelection.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>
#include <string_view>

#include "util/Constants.h"
#include "util/Numbers.h"

namespace stereolint {

bool FrameSelection::contains(int id) const {
  return selectsAll() ||
         std::any_of(intervals.begin(), intervals.end(), [id](const Interval& interval) {
           return interval.first <= id && id <= interval.last;
         });
}

int FrameSelection::last() const {
  if (selectsAll()) return INT_MAX;
  int last = 0;
  for (const Interval& interval : intervals) last = std::max(last, interval.last);
  return last;
}

int FrameSelection::nextFrom(int id) const {
  if (selectsAll()) return id;
  int next = 0;
  for (const Interval& interval : intervals) {
    if (interval.last < id) continue;
    const int first = std::max(interval.first, id);
    if (next == 0 || first < next) next = first;
  }
  return next;
}

int FrameSelection::countWithin(int total) const {
  if (selectsAll()) return std::max(total, 0);
  // Intervals may overlap: count each frame once.
  std::vector<std::pair<int, int>> spans;
  for (const Interval& interval : intervals) {
    const int first = std::max(interval.first, 1);
    const int last = std::min(interval.last, total);
    if (first <= last) spans.emplace_back(first, last);
  }
  std::sort(spans.begin(), spans.end());
  long long count = 0;
  int covered = 0;
  for (const auto& [first, last] : spans) {
    const int from = std::max(first, covered + 1);
    if (from <= last) count += last - from + 1;
    covered = std::max(covered, last);
  }
  return static_cast<int>(count);
}

void FrameSelection::addRange(int first, int last) {
  if (first <= last) intervals.push_back({first, last});
}

FrameSelection parseSequence(const std::string& text) {
  FrameSelection selection;
  const std::string_view view = text;
  const size_t dash = view.find(constants().dash);
  if (dash != std::string_view::npos) {
    selection.addRange(leadingInteger(view.substr(0, dash)), leadingInteger(view.substr(dash + 1)));
    return selection;
  }
  if (view.find(constants().comma) == std::string_view::npos) return selection;
  // Every comma ends a piece and the text after the last comma is one more,
  // so a trailing comma adds an empty piece, which reads as 0.
  size_t start = 0;
  while (true) {
    const size_t comma = view.find(constants().comma, start);
    const int frame = leadingInteger(view.substr(start, comma - start));
    selection.addRange(frame, frame);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return selection;
}

}  // namespace stereolint
