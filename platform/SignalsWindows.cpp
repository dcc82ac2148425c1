#include "platform/Signals.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace stereolint::platform {

namespace {

std::atomic<int> requested{0};

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (requested.load() != 0) std::_Exit(requested.load());
  requested.store(event == CTRL_C_EVENT ? 130 : 143);
  return TRUE;
}

}  // namespace

void installStopHandlers() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

int stopRequested() { return requested.load(); }

const char* stopRequestName() { return requested.load() == 130 ? "SIGINT" : "SIGTERM"; }

}  // namespace stereolint::platform
