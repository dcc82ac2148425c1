// parseSequence on the input as the "-s" text, then the selection's queries
// on fixed frame numbers and on the numbers the text names (and their
// neighbours), compared with the selection rules as documented.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "sources/FrameSelection.h"
#include "util/Numbers.h"

namespace {

// The documented meaning of a selection text: every frame, or these
// intervals.
struct Expected {
  bool all = true;
  std::vector<std::pair<int, int>> intervals;

  bool contains(int id) const {
    return all || std::any_of(intervals.begin(), intervals.end(), [id](const auto& interval) {
             return interval.first <= id && id <= interval.second;
           });
  }
};

Expected expectedSelection(const std::string& text) {
  Expected expected;
  if (const std::size_t dash = text.find('-'); dash != std::string::npos) {
    const int first = stereolint::leadingInteger(std::string_view(text).substr(0, dash));
    const int last = stereolint::leadingInteger(std::string_view(text).substr(dash + 1));
    if (first <= last) expected = {false, {{first, last}}};
  } else if (text.find(',') != std::string::npos) {
    expected.all = false;
    for (const std::string& piece : stereolint::fuzz::splitInput(
             reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), ',')) {
      const int frame = stereolint::leadingInteger(piece);
      expected.intervals.emplace_back(frame, frame);
    }
  }
  return expected;
}

void addWithNeighbours(std::set<int>& ids, int id) {
  ids.insert(id);
  if (id > INT_MIN) ids.insert(id - 1);
  if (id < INT_MAX) ids.insert(id + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const stereolint::FrameSelection selection = stereolint::parseSequence(text);
  const Expected expected = expectedSelection(text);

  stereolint::fuzz::require(selection.selectsAll() == expected.all,
                            "selectsAll follows the documented rules");
  std::set<int> ids{INT_MIN, -1, 0, 1, 2, 3, 4, 5, 7, 9, 100, INT_MAX};
  const std::size_t named = std::min<std::size_t>(expected.intervals.size(), 64);
  for (std::size_t i = 0; i < named; ++i) {
    addWithNeighbours(ids, expected.intervals[i].first);
    addWithNeighbours(ids, expected.intervals[i].second);
  }
  for (const int id : ids) {
    stereolint::fuzz::require(selection.contains(id) == expected.contains(id),
                              "contains follows the documented rules");
  }
  return 0;
}
