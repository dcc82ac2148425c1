#include "checkers/StereolintInterface.h"

#include <string_view>
#include <utility>

namespace stereolint {

StereolintInterface::StereolintInterface(std::string parameters)
    : parameters(std::move(parameters)) {}

StereolintInterface::~StereolintInterface() = default;

std::string StereolintInterface::getParameter(const std::string& key) const {
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

}  // namespace stereolint
