// stereolint-docs: prints the manual pages and the bash completion that the
// build installs (see tools/CMakeLists.txt).
//
//   stereolint-docs Stereolint.1 | stereolint-report.1 | completion
#include <iostream>
#include <string>

#include "docs/BashCompletion.h"
#include "docs/ManualPages.h"

int main(int argc, char** argv) {
  using namespace stereolint::docs;
  const std::string what = argc == 2 ? argv[1] : "";
  if (what == "Stereolint.1") {
    std::cout << stereolintManualPage();
  } else if (what == "stereolint-report.1") {
    std::cout << reportToolManualPage();
  } else if (what == "completion") {
    std::cout << stereolintBashCompletion();
  } else {
    std::cerr << "Usage: stereolint-docs Stereolint.1 | stereolint-report.1 | completion\n";
    return 2;
  }
  return std::cout.good() ? 0 : 1;
}
