// Comparing words people type against the words the program knows.
#pragma once

#include <optional>
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

// What the companion tools do instead of their work when asked: print
// their usage ("-h", "--help") or their version ("--version").
enum class ToolRequest { Help, Version };

// The first such request among a tool's words, wherever it stands and
// whatever the other words say; nothing when there is none.
std::optional<ToolRequest> toolRequest(const std::vector<std::string>& words);

}  // namespace stereolint
