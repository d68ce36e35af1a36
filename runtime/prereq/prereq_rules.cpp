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
    DXMediaOutcome outcome = {false, kUnknownErrorKey, false, true};
    if (!exitCodeKnown)
        return outcome;
    if (exitCode == kExitSuccess) {
        outcome.writeMarker = true;
        outcome.messageKey = "Success";
    } else if (exitCode == kExitSuccessRebootRequired) {
        outcome.writeMarker = true;
        outcome.messageKey = "SuccessAndRestart";
        outcome.restart = true;
        outcome.proceed = false;
    } else if (exitCode == kExitOldWindowsVersion) {
        outcome.messageKey = "NT4sp3";
        outcome.proceed = false;
    } else if (exitCode == kExitNotAdministrator) {
        outcome.messageKey = "NotAdmin";
        outcome.proceed = false;
    } else if (exitCode == kExitFailed) {
        outcome.messageKey = "Error";
        outcome.proceed = false;
    }
    return outcome;
}
