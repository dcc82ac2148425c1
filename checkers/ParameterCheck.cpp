#include "checkers/ParameterCheck.h"

#include "checkers/Stereolint.h"
#include "checkers/algorithms/FeatureAlgorithms.h"
#include "results/ResultKeys.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

bool namesAStep(const std::string& hierarchy) {
  for (const std::string& item : hierarchyItems(hierarchy)) {
    if (item == keys::kVertical || item == keys::kRotation || item == keys::kScale) return true;
  }
  return false;
}

std::string problemLine(const std::string& key, const std::string& value,
                        const std::string& problem) {
  return "Wrong parameter " + key + " \"" + value + "\": " + problem;
}

}  // namespace

std::optional<std::string> checkParameters(const std::string& parameters) {
  const Stereolint checker(parameters);
  if (!namesAStep(checker.getParameter("HIERARCHY"))) return std::nullopt;
  for (const char* key : {"WIDTH", "HEIGHT"}) {
    const std::string value = checker.getParameter(key);
    if (leadingInteger(value) < 1) {
      return problemLine(key, value, "a whole number of at least 1 is needed");
    }
  }
  for (const AlgorithmRole role :
       {AlgorithmRole::Detector, AlgorithmRole::Extractor, AlgorithmRole::Matcher}) {
    const std::string value = checker.getParameter(roleKey(role));
    if (const auto problem = algorithmNameProblem(role, value)) {
      return problemLine(roleKey(role), value, *problem);
    }
  }
  return std::nullopt;
}

}  // namespace stereolint
