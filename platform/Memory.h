// How much memory the program may still take without pushing the machine
// into swapping or its process group (a cgroup, as batch schedulers give a
// job) into the out-of-memory killer.
#pragma once

#include <cstdint>
#include <optional>

namespace stereolint::platform {

// Bytes available to this process now: the system's estimate of memory
// available without swapping (Linux: MemAvailable of /proc/meminfo;
// Windows: the available physical memory), or, when the process runs in a
// control group with a memory limit, what that limit leaves if it is less.
// Nothing when the system does not say.
std::optional<std::uint64_t> availableMemory();

}  // namespace stereolint::platform
