// Work inside one frame spread over the machine's cores: the tiles of the
// feature matching, the measuring loops and the files of a frame.
//
// The work runs on the calling thread and on a fixed set of helper threads
// started once, at the first call, and shared by every worker of the run; no
// call starts a thread of its own.
//
// Results never depend on how the work was spread: each index writes only
// its own output, and callers merge outputs in index order, so a run gives
// the same numbers, pictures and files on one core or many.
#pragma once

#include <cstddef>
#include <functional>

namespace stereolint::work {

// How many threads parallelFor uses: the number of cores the system
// reports (at least 1), or 1 when the environment variable
// STEREOLINT_SERIAL is set to anything but "" or "0" at the first call (every
// frame then runs in its worker alone, the straightforward way, to compare
// or to leave the other cores free).
unsigned parallelThreads();

// True when STEREOLINT_SERIAL asked for the straightforward way.
bool serialRequested();

// Calls body(i) once for every i in [0, count), on the calling thread and
// the helper threads (up to parallelThreads() - 1 of them), and returns when every call
// has returned. When calls throw, the exception of the lowest index is
// rethrown here once all calls are over, so the caller sees the error a
// loop in index order would have met first.
void parallelFor(size_t count, const std::function<void(size_t)>& body);

// Runs `first` on a helper thread while `second` runs on the calling thread
// (both on the calling thread, `first` before `second`, when
// parallelThreads() is 1 or no helper thread could be started; `first` after
// `second` on the calling thread when every helper was busy meanwhile), and
// returns when
// both are over. When both throw, the exception of `first` is rethrown, as
// running them in that order would have met it first. For work that must
// stay on the calling thread, such as drawing with the thread's own random
// generator.
void runBeside(const std::function<void()>& first, const std::function<void()>& second);

}  // namespace stereolint::work
