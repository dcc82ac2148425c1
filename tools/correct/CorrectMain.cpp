// stereolint-correct CORRECTIONS_JSON OUTPUT [RIGHT_OUTPUT]: renders the
// corrected take that a corrections.json of Stereolint describes.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/correct/CorrectionsPlan.h"
#include "tools/correct/RenderTake.h"
#include "util/ToolFacts.h"

namespace {

const char* const kUsage =
    "USAGE: stereolint-correct CORRECTIONS_JSON OUTPUT [RIGHT_OUTPUT]\n"
    "\n"
    "Renders the corrected take of a corrections.json that Stereolint --qc --corrections\n"
    "wrote: OUTPUT.mkv a lossless FFV1 video, OUTPUT.png or .tif a still picture, in the\n"
    "input's layout; for a take of two inputs, the left eye's output then the right eye's.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && (words[0] == "-h" || words[0] == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  if (!words.empty() && words[0] == "--version") {
    std::cout << stereolint::versionText("stereolint-correct");
    return 0;
  }
  if (words.size() < 2 || words.size() > 3) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream file(words[0], std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  if (!file) {
    std::cerr << "stereolint-correct: cannot read " << words[0] << "\n";
    return 1;
  }
  const stereolint::Expected<stereolint::correct::CorrectionsPlan> plan =
      stereolint::correct::readCorrectionsPlan(text.str(), words[0]);
  if (!plan) {
    std::cerr << "stereolint-correct: " << plan.error() << "\n";
    return 1;
  }
  const std::vector<std::string> outputs(words.begin() + 1, words.end());
  if (const auto problem = stereolint::correct::renderTake(plan.value(), outputs)) {
    std::cerr << "stereolint-correct: " << *problem << "\n";
    return 1;
  }
  return 0;
}
