// Requests to stop a run from outside (Ctrl-C, a termination signal) and
// writes to a closed pipe.
//
// The first request only raises a flag that the run checks between frames,
// so the frames in flight finish and are written; a second request ends the
// process at once, as the default handling would. Nothing here prints.
#pragma once

namespace stereolint::platform {

// Installs the handlers: from now on an interrupt (Ctrl-C, SIGINT) or a
// termination request (SIGTERM; on Windows the console's close and
// break events) sets the stop request instead of ending the process, and a
// write to a pipe whose reader has gone fails with an error instead of
// killing the process (SIGPIPE is ignored).
void installStopHandlers();

// 0 while no stop was requested; otherwise the conventional exit status of
// the request: 130 for an interrupt, 143 for a termination request.
int stopRequested();

// The name of the request for messages: "SIGINT", "SIGTERM".
const char* stopRequestName();

}  // namespace stereolint::platform
