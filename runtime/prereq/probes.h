// Questions the prerequisite steps ask the system, and the runner of installers.
#ifndef START_PROBES_H
#define START_PROBES_H

#include <windows.h>

// True for an existing entry that is not a folder. The path is a search pattern
// (wildcards match), and only the first entry found counts. NULL or "" is false.
bool FileExists(const char* path);

// True when the file exists and its file version is at least `threshold` (see
// IsVersionAtLeast). A file without readable version information is false.
bool IsFileVersionAtLeast(const char* path, long long threshold);

// True on Windows Me or later of the 95/98/Me family.
bool IsWindowsMeOrLater();
// True on Windows 2000 or later of the NT family.
bool IsWindowsNt5OrLater();
// True on any system of the NT family.
bool IsWindowsNt();

enum RunOutcome {
    kInstallerEnded,       // the exit code is known
    kInstallerNotStarted,  // no such program, or not a program
    kExitCodeUnknown,      // it ran, but its exit code could not be read
};

// Starts `commandLine` (the caller's modifiable buffer, used as the whole command
// line, program first) and waits until that process ends, however long it runs.
// On kInstallerEnded, `exitCode` receives its exit code, unchanged.
RunOutcome RunAndWait(char* commandLine, DWORD* exitCode);

#endif
