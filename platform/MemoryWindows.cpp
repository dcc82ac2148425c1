#include "platform/Memory.h"

#include <windows.h>

namespace stereolint::platform {

std::optional<std::uint64_t> availableMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return static_cast<std::uint64_t>(status.ullAvailPhys);
}

void keepFreedMemory() {}

void returnLargeBlocks() {}

}  // namespace stereolint::platform
