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

// Asks the C library to keep the memory of freed pictures for the next
// frame's rather than hand it back to the system: a frame's views and
// buffers are allocated and freed anew for every frame, and memory handed
// back comes again as fresh pages to fault in and clear, which costs as
// much as the decoding at 4K. Resident memory then stays at the run's peak,
// which is flat from frame to frame. Meant for runs that write no pictures:
// where many large pictures come and go on several threads at once, each
// thread's heap keeps its own peak and resident memory grows by their sum.
// Does nothing where the C library has no such setting.
void keepFreedMemory();

// The other way round, for runs that write pictures: blocks of 4 MiB and
// more (a view, a picture) go back to the system as soon as they are
// freed. Many large pictures come and go on several threads at once there,
// and memory kept for reuse would gather in every thread's heap: at 4K a
// third more resident memory than the pictures alive at any time. Does
// nothing where the C library has no such setting.
void returnLargeBlocks();

}  // namespace stereolint::platform
