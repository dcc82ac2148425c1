// Start-up's reading of the command line: the option scan, the settings
// check and the parameter check, on argument words cut out of the input at
// NUL bytes (no argument word can hold one). The program path comes first,
// as in argv.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "checkers/ParameterCheck.h"

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace stereolint;
  std::vector<std::string> words{"Stereolint"};
  for (std::string& word : fuzz::splitInput(data, size, '\0')) words.push_back(std::move(word));

  const CommandLine line = readCommandLine(words);
  if (line.help) return 0;
  if (const auto error = checkSettings(line.settings)) {
    fuzz::require(endsWith(*error, "\nHELP: Stereolint -h\n\n"),
                  "an argument error ends with the help line and an empty line");
  }
  // Start-up checks the parameters only once the settings pass, which needs
  // an existing input file; checking them on every input lets the fuzzer
  // explore the parameter check without finding such a file first.
  if (const auto problem = checkParameters(line.settings.parameters)) {
    fuzz::require(problem->rfind("Wrong parameter ", 0) == 0,
                  "a parameter problem starts with \"Wrong parameter \"");
  }
  return 0;
}
