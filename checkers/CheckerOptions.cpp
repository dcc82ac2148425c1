#include "checkers/CheckerOptions.h"

#include <string_view>
#include <utility>

#include "results/ResultKeys.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

std::optional<Step> stepOf(const std::string& item) {
  for (const Step step : {Step::Vertical, Step::Rotation, Step::Scale}) {
    if (item == stepName(step)) return step;
  }
  return std::nullopt;
}

}  // namespace

std::string parameterValue(const std::string& parameters, const std::string& key) {
  std::string_view rest = parameters;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view entry = rest.substr(0, comma);
    const size_t colon = entry.find(':');
    if (entry.substr(0, colon) == key) {
      return std::string(colon == std::string_view::npos ? entry : entry.substr(colon + 1));
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return std::string();
}

const char* stepName(Step step) {
  switch (step) {
    case Step::Vertical:
      return keys::kVertical;
    case Step::Rotation:
      return keys::kRotation;
    case Step::Scale:
      return keys::kScale;
  }
  return "";
}

std::vector<std::string> hierarchyItems(const std::string& text) {
  std::vector<std::string> items;
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find(';');
    if (end == 0) break;
    items.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return items;
}

CheckerOptions readCheckerOptions(const std::string& parameters) {
  const auto value = [&](const char* key) { return parameterValue(parameters, key); };
  CheckerOptions options;
  options.widthText = value("WIDTH");
  options.heightText = value("HEIGHT");
  options.widthPercent = leadingInteger(options.widthText);
  options.heightPercent = leadingInteger(options.heightText);
  for (const auto& [key, text] : {std::pair{"WIDTH", &options.widthText},
                                  std::pair{"HEIGHT", &options.heightText}}) {
    if (std::string note = atoiReadingNote(key, *text); !note.empty())
      options.readingNotes.push_back(std::move(note));
  }
  options.detector = value("DETECTOR");
  options.extractor = value("EXTRACTOR");
  options.matcher = value("MATCHER");
  options.distribution = value("DISTRIBUTION") == "TRUE";
  options.recurrency = value("RECURRENCY") == "TRUE";
  options.hierarchy = hierarchyItems(value("HIERARCHY"));
  for (const std::string& item : options.hierarchy) {
    if (const auto step = stepOf(item)) options.steps.push_back(*step);
  }
  return options;
}

}  // namespace stereolint
