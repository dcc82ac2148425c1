// stereolint-docs: prints the manual pages and the bash completion that the
// build installs (see tools/CMakeLists.txt).
//
//   stereolint-docs Stereolint.1 | stereolint-report.1 | completion
//   stereolint-docs script NAME SUMMARY < HELP_TEXT
#include <iostream>
#include <iterator>
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
  } else if (argc == 4 && std::string(argv[1]) == "script") {
    const std::string help{std::istreambuf_iterator<char>(std::cin), {}};
    std::cout << scriptManualPage(argv[2], argv[3], help);
  } else {
    std::cerr << "Usage: stereolint-docs Stereolint.1 | stereolint-report.1 | completion\n"
                 "       stereolint-docs script NAME SUMMARY < HELP_TEXT\n";
    return 2;
  }
  return std::cout.good() ? 0 : 1;
}
