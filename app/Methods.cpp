#include "app/Methods.h"

#include "checkers/ParameterCheck.h"
#include "checkers/Stereolint.h"
#include "checkers/alignment/AlignmentOptions.h"
#include "checkers/alignment/AlignmentStereolint.h"

namespace stereolint {

namespace {

template <typename Checker>
std::unique_ptr<StereolintInterface> make(const std::string& parameters) {
  return std::make_unique<Checker>(parameters);
}

const Method kMethods[] = {
    {"Stereolint", make<Stereolint>, checkParameters, true, 160},
    {"Alignment", make<AlignmentStereolint>, checkAlignmentParameters, false, 32},
};

}  // namespace

const Method* findMethod(const std::string& name) {
  for (const Method& method : kMethods) {
    if (name == method.name) return &method;
  }
  return nullptr;
}

std::string methodNames() {
  std::string names;
  for (const Method& method : kMethods)
    names += (names.empty() ? "" : ", ") + std::string(method.name);
  return names;
}

std::unique_ptr<StereolintInterface> createChecker(const std::string& method,
                                                   const std::string& parameters) {
  const Method* entry = findMethod(method);
  return entry != nullptr ? entry->create(parameters) : nullptr;
}

}  // namespace stereolint
