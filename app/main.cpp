#include <string>
#include <vector>

#include "app/Startup.h"

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv, argv + argc);
  return stereolint::startStereolint(words);
}
