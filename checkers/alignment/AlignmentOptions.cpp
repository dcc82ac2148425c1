#include "checkers/alignment/AlignmentOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string_view>
#include <vector>

namespace stereolint {

namespace {

struct Entry {
  std::string key;
  std::string value;
};

// Entries in order; an entry without ":" is a key with an empty value.
// Empty entries (",," or a trailing ",") carry nothing and are passed over.
std::vector<Entry> entries(const std::string& parameters) {
  std::vector<Entry> list;
  std::string_view rest = parameters;
  while (true) {
    const size_t comma = rest.find(',');
    const std::string_view entry = rest.substr(0, comma);
    if (!entry.empty()) {
      const size_t colon = entry.find(':');
      list.push_back(
          {std::string(entry.substr(0, colon)),
           colon == std::string_view::npos ? std::string() : std::string(entry.substr(colon + 1))});
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return list;
}

// The whole text as a finite number, or nothing.
std::optional<double> number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

const AlignmentKey* findKey(const std::string& name) {
  for (const AlignmentKey& key : kAlignmentKeys) {
    if (name == key.name) return &key;
  }
  return nullptr;
}

// Applies one key's value; the problem line when it cannot.
std::optional<std::string> apply(const AlignmentKey& key, const std::string& value,
                                 AlignmentOptions& options) {
  const std::string name = key.name;
  const std::string wrong = "Wrong parameter " + name + " \"" + value + "\": " + key.meaning;
  if (name == "PICTURES" || name == "DEPTH") {
    if (value != "TRUE" && value != "FALSE") return wrong;
    (name == "PICTURES" ? options.pictures : options.depth) = value == "TRUE";
    return std::nullopt;
  }
  const std::optional<double> read = number(value);
  if (!read) return wrong;
  if (name == "BAND") {
    if (!(*read > 0 && *read <= 50)) return wrong;
    options.bandPercent = *read;
  } else if (name == "PARALLAX") {
    if (!(*read > 0 && *read <= 100)) return wrong;
    options.parallaxPercent = *read;
  } else if (name == "FEATURES") {
    if (!(*read >= 100 && *read <= 20000) || *read != std::floor(*read)) return wrong;
    options.features = static_cast<int>(*read);
  }
  return std::nullopt;
}

}  // namespace

std::string alignmentKeyNames() {
  std::string names;
  for (const AlignmentKey& key : kAlignmentKeys) {
    if (!names.empty()) names += ", ";
    names += key.name;
  }
  return names;
}

Expected<AlignmentOptions> parseAlignmentOptions(const std::string& parameters) {
  AlignmentOptions options;
  std::set<std::string> seen;
  for (const Entry& entry : entries(parameters)) {
    const AlignmentKey* key = findKey(entry.key);
    if (key == nullptr) {
      return Failure{"Unknown parameter \"" + entry.key +
                     "\" for the alignment method; the valid ones are " + alignmentKeyNames(),
                     ""};
    }
    // The first entry of a key wins; later ones are not read.
    if (!seen.insert(entry.key).second) continue;
    if (auto problem = apply(*key, entry.value, options)) return Failure{*problem, ""};
  }
  return options;
}

}  // namespace stereolint
