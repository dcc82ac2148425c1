// Comparing words people type against the words the program knows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stereolint {

// True when `a` and `b` hold the same letters, whatever their case (ASCII).
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The known word closest to `word` in edits (letters added, removed or
// changed, case aside), the first in `known` on a tie; "" when `known` is
// empty.
std::string nearestWord(std::string_view word, const std::vector<std::string>& known);

}  // namespace stereolint
