#include "app/ConsoleLog.h"

#include <iostream>

namespace stereolint {

namespace {

void writeBlock(std::ostream& stream, const char* heading, const std::string& phase,
                const std::string& message) {
  stream << heading << std::endl;
  stream << "\t[runtime phase]: " << phase << std::endl;
  stream << "\t[message      ]: " << message << std::endl;
}

}  // namespace

void logWarning(std::string phase, std::string message) {
  writeBlock(std::clog, "Warning: ", phase, message);
}

void logError(std::string phase, std::string message) {
  writeBlock(std::cerr, "Error: ", phase, message);
}

}  // namespace stereolint
