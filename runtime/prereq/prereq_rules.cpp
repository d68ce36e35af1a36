#include "prereq_rules.h"

bool IsMeOrLaterVersion(unsigned platformId, unsigned major, unsigned minor)
{
    if (platformId != kPlatformWindows)
        return false;
    if (major >= 5)
        return true;
    return (major == 3 || major == 4) && minor >= 90;
}

bool IsNt5OrLaterVersion(unsigned platformId, unsigned major, unsigned)
{
    return platformId == kPlatformNt && major >= 5;
}

bool IsVersionAtLeast(unsigned mostSignificant, unsigned leastSignificant, long long threshold)
{
    int versionHigh = static_cast<int>(mostSignificant);
    int thresholdHigh = static_cast<int>(static_cast<unsigned long long>(threshold) >> 32);
    unsigned thresholdLow = static_cast<unsigned>(threshold & 0xFFFFFFFFLL);
    if (versionHigh != thresholdHigh)
        return versionHigh > thresholdHigh;
    return leastSignificant >= thresholdLow;
}

bool GetProgramPath(const char* command, char* path, int size)
{
    if (size <= 0)
        return false;
    int at = 0;
    while (command[at] != 0 && command[at] != ' ' && at < size - 1) {
        path[at] = command[at];
        ++at;
    }
    path[at] = 0;
    return command[at] == 0 || command[at] == ' ';
}

DXMediaOutcome GetDXMediaOutcome(bool exitCodeKnown, unsigned exitCode)
{
    // Exit codes of the DirectX Media installer (Win32 error codes).
    const unsigned kSuccess = 0;
    const unsigned kSuccessRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
    const unsigned kOldWindowsVersion = 1150;      // ERROR_OLD_WIN_VERSION
    const unsigned kNotAdministrator = 1321;       // ERROR_MEMBER_NOT_IN_GROUP
    const unsigned kFailed = 0x80004005u;          // E_FAIL

    DXMediaOutcome outcome = {false, "UnknownError", false, true};
    if (!exitCodeKnown)
        return outcome;
    if (exitCode == kSuccess) {
        outcome.writeMarker = true;
        outcome.messageKey = "Success";
    } else if (exitCode == kSuccessRebootRequired) {
        outcome.writeMarker = true;
        outcome.messageKey = "SuccessAndRestart";
        outcome.restart = true;
        outcome.proceed = false;
    } else if (exitCode == kOldWindowsVersion) {
        outcome.messageKey = "NT4sp3";
        outcome.proceed = false;
    } else if (exitCode == kNotAdministrator) {
        outcome.messageKey = "NotAdmin";
        outcome.proceed = false;
    } else if (exitCode == kFailed) {
        outcome.messageKey = "Error";
        outcome.proceed = false;
    }
    return outcome;
}
