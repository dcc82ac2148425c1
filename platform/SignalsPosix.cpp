#include "platform/Signals.h"

#include <signal.h>

#include <atomic>

namespace stereolint::platform {

namespace {

std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void onStopSignal(int signal) {
  if (requested.load() != 0) {
    // The second request: the default handling ends the process now.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  requested.store(128 + signal);
}

}  // namespace

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes restart, so a signal never shows up as a
  // failed write of a result file.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

int stopRequested() { return requested.load(); }

const char* stopRequestName() {
  switch (requested.load() - 128) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "a signal";
  }
}

}  // namespace stereolint::platform
