// The checker's getParameter on a parameters text and a key, both from the input: the key
// is the text before the first NUL byte, the parameters text everything after
// it. The answer is compared with the rule as the checker documents it,
// worked step by step on a copy (entries cut at commas, names at the first
// colon), for the fuzzed key and for every key the program reads.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "checkers/Stereolint.h"

namespace {

std::string documentedValue(const std::string& parameters, const std::string& key) {
  std::string rest = parameters + ",";
  for (std::size_t comma; (comma = rest.find(',')) != std::string::npos;
       rest.erase(0, comma + 1)) {
    const std::string entry = rest.substr(0, comma);
    const std::size_t colon = entry.find(':');
    if (entry.substr(0, colon) == key) {
      return colon == std::string::npos ? entry : entry.substr(colon + 1);
    }
  }
  return std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string key = input.substr(0, nul);
  const std::string parameters = nul == std::string::npos ? std::string() : input.substr(nul + 1);

  const stereolint::Stereolint checker(parameters);
  for (const std::string& asked : {key, std::string("WIDTH"), std::string("HEIGHT"),
                                   std::string("DETECTOR"), std::string("EXTRACTOR"),
                                   std::string("MATCHER"), std::string("DISTRIBUTION"),
                                   std::string("RECURRENCY"), std::string("HIERARCHY")}) {
    const std::string value = checker.getParameter(asked);
    stereolint::fuzz::require(value == documentedValue(parameters, asked),
                              "getParameter follows the documented rule");
    stereolint::fuzz::require(value.find(',') == std::string::npos, "a value holds no comma");
  }
  stereolint::fuzz::require(checker.getParameters() == parameters,
                            "the parameters text is kept unchanged");
  return 0;
}
