// The console log's blocks as a user sees them on standard error.
#pragma once

#include <string>

namespace stereolint::test {

// "Error: " then the phase and the message lines, as the console log
// prints an error block.
inline std::string errorBlock(const std::string& phase, const std::string& message) {
  return "Error: \n\t[runtime phase]: " + phase + "\n\t[message      ]: " + message + "\n";
}

}  // namespace stereolint::test
