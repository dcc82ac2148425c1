#include "platform/Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace stereolint::platform {

namespace {

// A number of bytes in the first line of a control group file; nothing for
// "max" (no limit) or a file that is not there.
std::optional<std::uint64_t> groupBytes(const std::string& path) {
  std::ifstream file(path);
  std::string word;
  if (!(file >> word) || word == "max") return std::nullopt;
  try {
    return static_cast<std::uint64_t>(std::stoull(word));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::uint64_t> systemAvailable() {
  std::ifstream info("/proc/meminfo");
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("MemAvailable:", 0) != 0) continue;
    std::istringstream words(line.substr(13));
    std::uint64_t kib = 0;
    if (words >> kib) return kib * 1024;
  }
  return std::nullopt;
}

// A named figure of a control group's memory.stat ("inactive_file 1234").
std::uint64_t statFigure(const std::string& path, const std::string& name) {
  std::ifstream stat(path);
  std::string key;
  std::uint64_t value = 0;
  while (stat >> key >> value) {
    if (key == name) return value;
  }
  return 0;
}

// What the memory limit of this process's control group leaves: version 2
// (a "0::/path" line) or version 1 (a "N:memory:/path" line). Page cache
// that the kernel would drop first (inactive files) counts as free.
std::optional<std::uint64_t> groupAvailable() {
  std::ifstream membership("/proc/self/cgroup");
  for (std::string line; std::getline(membership, line);) {
    std::string folder, limitFile, usageFile, inactive;
    if (line.rfind("0::", 0) == 0) {
      folder = "/sys/fs/cgroup" + line.substr(3);
      limitFile = "memory.max";
      usageFile = "memory.current";
      inactive = "inactive_file";
    } else if (const size_t at = line.find(":memory:"); at != std::string::npos) {
      folder = "/sys/fs/cgroup/memory" + line.substr(at + 8);
      limitFile = "memory.limit_in_bytes";
      usageFile = "memory.usage_in_bytes";
      inactive = "total_inactive_file";
    } else {
      continue;
    }
    const auto limit = groupBytes(folder + "/" + limitFile);
    const auto used = groupBytes(folder + "/" + usageFile);
    if (!limit || !used) continue;
    const std::uint64_t cache = std::min(*used, statFigure(folder + "/memory.stat", inactive));
    const std::uint64_t taken = *used - cache;
    return *limit > taken ? *limit - taken : 0;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> availableMemory() {
  const auto system = systemAvailable();
  const auto group = groupAvailable();
  if (system && group) return std::min(*system, *group);
  return system ? system : group;
}

void keepFreedMemory() {
#if defined(__GLIBC__)
  // Blocks up to the largest size the library serves from its heaps
  // (32 MiB: a 4K view in 8-bit colour) come from there, not from a mapping
  // of their own; freed memory at the top of a heap stays unless more than
  // 1 GiB of it gathers there.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif
}

void returnLargeBlocks() {
#if defined(__GLIBC__)
  // A fixed threshold also stops the library from raising it after each
  // large block freed, which would bring those blocks back into its heaps.
  mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}

}  // namespace stereolint::platform
