#include "checkers/ParameterCheck.h"

#include <utility>

#include "checkers/CheckerOptions.h"
#include "checkers/algorithms/FeatureAlgorithms.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

std::string problemLine(const std::string& key, const std::string& value,
                        const std::string& problem) {
  return "Wrong parameter " + key + " \"" + value + "\": " + problem;
}

}  // namespace

std::optional<std::string> checkParameters(const std::string& parameters) {
  return checkCheckerOptions(readCheckerOptions(parameters));
}

std::optional<std::string> checkCheckerOptions(const CheckerOptions& options) {
  if (!options.measures()) return std::nullopt;
  const std::pair<const char*, const std::string*> tiles[] = {{"WIDTH", &options.widthText},
                                                              {"HEIGHT", &options.heightText}};
  for (const auto& [key, value] : tiles) {
    if (leadingInteger(*value) < 1) {
      return problemLine(key, *value, "a whole number of at least 1 is needed");
    }
  }
  const std::pair<AlgorithmRole, const std::string*> names[] = {
      {AlgorithmRole::Detector, &options.detector},
      {AlgorithmRole::Extractor, &options.extractor},
      {AlgorithmRole::Matcher, &options.matcher}};
  for (const auto& [role, value] : names) {
    if (const auto problem = algorithmNameProblem(role, *value)) {
      return problemLine(roleKey(role), *value, *problem);
    }
  }
  return std::nullopt;
}

}  // namespace stereolint
