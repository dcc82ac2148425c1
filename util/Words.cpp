#include "util/Words.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace stereolint {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Levenshtein distance, case aside, with one row of the table kept.
size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string nearestWord(std::string_view word, const std::vector<std::string>& known) {
  std::string best;
  size_t bestDistance = 0;
  for (const std::string& candidate : known) {
    const size_t distance = editDistance(word, candidate);
    if (best.empty() || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::optional<ToolRequest> toolRequest(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "-h" || word == "--help") return ToolRequest::Help;
    if (word == "--version") return ToolRequest::Version;
  }
  return std::nullopt;
}

}  // namespace stereolint
