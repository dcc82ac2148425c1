#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/Memory.h"

int main(int argc, char** argv) {
  stereolint::platform::keepFreedMemory();
  const std::vector<std::string> words(argv, argv + argc);
  return stereolint::startStereolint(words);
}
