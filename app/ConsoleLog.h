// Reports one event as a three-line block on the console:
//
//   <Level>: 
//   \t[runtime phase]: <phase>
//   \t[message      ]: <message>
//
// Information goes to standard output, warnings to the standard log stream
// (std::clog, which shares the error device), errors to standard error. Every
// line ends with a newline and a flush. Meant for the main thread: the lines
// of a block are separate writes and could interleave with other threads.
#pragma once

#include <string>

namespace stereolint {

void logInformation(std::string phase, int message);
void logInformation(std::string phase, std::string message);
void logWarning(std::string phase, std::string message);
void logError(std::string phase, std::string message);

}  // namespace stereolint
