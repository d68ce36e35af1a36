// The launch: prerequisite steps, splash, readiness event, presentation and the
// wait for the player's signal.
#ifndef START_LAUNCH_H
#define START_LAUNCH_H

#include <windows.h>

// Name of the event that the presentation player signals once it is ready.
const char kReadyEventName[] = "qvrplay_ready";

// Runs the whole launch and returns the process exit code: 1 when a
// prerequisite step stopped it, 0 otherwise.
int RunLaunch(HINSTANCE module);

// Reads the presentation command from start.inf, puts the launcher's directory
// into it and starts it. Returns the player's process handle, which the caller
// closes, or NULL when there was nothing to start or it could not be started.
HANDLE StartPresentation(HINSTANCE module);

#endif
