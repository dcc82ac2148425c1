// stereolint-correct: renders the corrected take that a corrections.json of
// Stereolint describes (CorrectOptions.h gives the command line).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Memory.h"
#include "platform/Signals.h"
#include "tools/correct/CorrectOptions.h"
#include "tools/correct/CorrectionsPlan.h"
#include "tools/correct/RenderTake.h"
#include "util/ToolFacts.h"

int main(int argc, char** argv) {
  using namespace stereolint::correct;
  const std::vector<std::string> words(argv + 1, argv + argc);
  const stereolint::Expected<CorrectOptions> options = parseCorrectOptions(words);
  if (!options) {
    std::cerr << "stereolint-correct: " << options.error()
              << "\nstereolint-correct --help describes the command line.\n";
    return 2;
  }
  if (options->help) {
    std::cout << correctUsage();
    return 0;
  }
  if (options->version) {
    std::cout << stereolint::versionText("stereolint-correct");
    return 0;
  }
  std::ifstream file(options->corrections, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  if (!file) {
    std::cerr << "stereolint-correct: cannot read " << options->corrections << "\n";
    return 1;
  }
  const stereolint::Expected<CorrectionsPlan> plan =
      readCorrectionsPlan(text.str(), options->corrections);
  if (!plan) {
    std::cerr << "stereolint-correct: " << plan.error() << "\n";
    return 1;
  }
  stereolint::platform::installStopHandlers();
  // Every frame allocates pictures of the same sizes as the frame before:
  // reusing freed blocks spares the system's mapping and zeroing of fresh
  // pages each time.
  stereolint::platform::keepFreedMemory();
  const RenderOutcome outcome = renderTake(options.value(), plan.value());
  if (!outcome.summary.empty()) std::cout << outcome.summary << "\n";
  if (outcome.status != 0) std::cerr << "stereolint-correct: " << outcome.problem << "\n";
  return outcome.status;
}
