// Start-up: from the words of the command line to the exit code.
#pragma once

#include <string>
#include <vector>

namespace stereolint {

// Reads the words (the first being the program path), prints the usage text
// for "-h" or the version text for "--version", prints the argument errors,
// or creates the chosen mode and runs it. Returns the process exit code: 0,
// or -1 (255 as a process status).
int startStereolint(const std::vector<std::string>& words);

}  // namespace stereolint
