#include "checkers/StereolintInterface.h"

#include <utility>

namespace stereolint {

StereolintInterface::StereolintInterface(std::string parameters)
    : parameters(std::move(parameters)), settings(readCheckerOptions(this->parameters)) {}

StereolintInterface::~StereolintInterface() = default;

std::vector<PictureName> StereolintInterface::visualizeSources(const Results& results) const {
  return pictureNames(results);
}

std::string StereolintInterface::getParameter(const std::string& key) const {
  return parameterValue(parameters, key);
}

}  // namespace stereolint
