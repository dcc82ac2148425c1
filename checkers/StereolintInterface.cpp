#include "checkers/StereolintInterface.h"

#include <utility>

namespace stereolint {

StereolintInterface::StereolintInterface(std::string parameters)
    : parameters(std::move(parameters)), settings(readCheckerOptions(this->parameters)) {}

StereolintInterface::~StereolintInterface() = default;

std::string StereolintInterface::getParameter(const std::string& key) const {
  return parameterValue(parameters, key);
}

}  // namespace stereolint
