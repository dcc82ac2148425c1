#include "app/Methods.h"

#include "checkers/ParameterCheck.h"
#include "checkers/Stereolint.h"
#include "checkers/alignment/AlignmentOptions.h"
#include "checkers/alignment/AlignmentStereolint.h"
#include "util/Words.h"

namespace stereolint {

namespace {

using Made = Expected<std::unique_ptr<StereolintInterface>>;

Made makeSteps(const std::string& parameters, const Viewing& /*viewing*/) {
  auto checker = std::make_unique<Stereolint>(parameters);
  if (auto problem = checkCheckerOptions(checker->options())) return Failure{*problem};
  return Made(std::move(checker));
}

Made makeAlignment(const std::string& parameters, const Viewing& viewing) {
  Expected<AlignmentOptions> options = parseAlignmentOptions(parameters);
  if (!options) return options.failure();
  AlignmentOptions read = options.value();
  read.screenWidthMm = viewing.screenWidthMm;
  return Made(std::make_unique<AlignmentStereolint>(parameters, read));
}

using Keys = std::vector<std::pair<std::string, std::string>>;

Keys stepsKeys() {
  Keys keys;
  for (const CheckerKey& key : kCheckerKeys) keys.emplace_back(key.name, key.meaning);
  return keys;
}

Keys alignmentKeys() {
  Keys keys;
  for (const AlignmentKey& key : kAlignmentKeys) keys.emplace_back(key.name, key.meaning);
  return keys;
}

const Method kMethods[] = {
    {"Stereolint", makeSteps, true, 160, stepsKeys},
    {"Alignment", makeAlignment, false, 32, alignmentKeys},
};

}  // namespace

const Method* findMethod(const std::string& name) {
  for (const Method& method : kMethods) {
    if (name == method.name) return &method;
  }
  return nullptr;
}

std::vector<const Method*> allMethods() {
  std::vector<const Method*> methods;
  for (const Method& method : kMethods) methods.push_back(&method);
  return methods;
}

std::string methodNames() {
  std::string names;
  for (const Method& method : kMethods)
    names += (names.empty() ? "" : ", ") + std::string(method.name);
  return names;
}

std::string caseSpellingHint(const std::string& name) {
  for (const Method& method : kMethods)
    if (equalIgnoringCase(name, method.name)) return std::string("; did you mean ") + method.name + "?";
  return std::string();
}

Expected<std::unique_ptr<StereolintInterface>> makeChecker(const Method* method,
                                                           const std::string& parameters,
                                                           const Viewing& viewing) {
  if (method != nullptr) return method->make(parameters, viewing);
  if (auto problem = checkCheckerOptions(readCheckerOptions(parameters))) return Failure{*problem};
  return Made(nullptr);
}

}  // namespace stereolint
