// Pure decision rules of the prerequisite steps: which systems need DirectX,
// version comparisons, the program path of an installer command and what each
// DirectX Media exit code means. No Win32 calls, so the host tests can drive every
// value, also those that no real system gives.
#ifndef START_PREREQ_RULES_H
#define START_PREREQ_RULES_H

// Platform ids of the system's version record.
const unsigned kPlatformWindows = 1;  // Windows 95, 98, Me
const unsigned kPlatformNt = 2;

// Windows 95/98/Me family at 4.90 or later (3.x counts like 4.x).
bool IsMeOrLaterVersion(unsigned platformId, unsigned major, unsigned minor);
// Windows NT family at major version 5 or later.
bool IsNt5OrLaterVersion(unsigned platformId, unsigned major, unsigned minor);

// Whether a file version (the two words of its fixed file information: major and
// minor in `mostSignificant`, build and private in `leastSignificant`) is at least
// `threshold`, the same two words joined. Compared as signed 64-bit numbers, so a
// major part of 0x8000 or more is below every threshold with a smaller major part.
bool IsVersionAtLeast(unsigned mostSignificant, unsigned leastSignificant, long long threshold);

// The version 4.0.0.0 as a threshold.
const long long kScriptEngineVersion = 0x0004000000000000LL;

// Copies the program path of an installer command into `path` (of `size` bytes):
// the command up to its first blank (0x20), taken literally, quotation marks
// included. Returns false when it had to be cut to fit.
bool GetProgramPath(const char* command, char* path, int size);

// Exit codes of the DirectX Media installer (Win32 error codes) that have a
// meaning of their own; every other value is an unknown error.
const unsigned kExitSuccess = 0;
const unsigned kExitSuccessRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
const unsigned kExitOldWindowsVersion = 1150;      // ERROR_OLD_WIN_VERSION
const unsigned kExitNotAdministrator = 1321;       // ERROR_MEMBER_NOT_IN_GROUP
const unsigned kExitFailed = 0x80004005u;          // E_FAIL

// The questions the steps ask before they run an installer, and the text of a
// failed installation.
const char kInstallDXMediaKey[] = "InstallDXMedia";
const char kInstallScriptKey[] = "InstallScript";
const char kUnknownErrorKey[] = "UnknownError";

// What the DirectX Media step does after its installer ran.
struct DXMediaOutcome {
    bool writeMarker;        // record the required version as installed
    const char* messageKey;  // the text to show
    bool restart;            // ask Windows to restart once the box is closed
    bool proceed;            // let the launch go on
};

// The outcome of an installer exit code. `exitCodeKnown` is false when the
// installer could not be started or its exit code could not be read: that is a
// failure, never a success.
DXMediaOutcome GetDXMediaOutcome(bool exitCodeKnown, unsigned exitCode);

#endif
