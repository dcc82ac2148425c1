// Reports one event as a three-line block on the console:
//
//   <Level>: 
//   \t[runtime phase]: <phase>
//   \t[message      ]: <message>
//
// Warnings go to the standard log stream (std::clog, which shares the error
// device), errors to standard error. Every
// line ends with a newline and a flush. Meant for the main thread: the lines
// of a block are separate writes and could interleave with other threads.
#pragma once

#include <string>

namespace stereolint {

void logWarning(std::string phase, std::string message);
void logError(std::string phase, std::string message);

}  // namespace stereolint
