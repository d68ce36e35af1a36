#include "probes.h"

#include "../text.h"
#include "prereq_rules.h"

bool FileExists(const char* path)
{
    if (path == NULL || path[0] == 0)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFileVersionAtLeast(const char* path, long long threshold)
{
    if (!FileExists(path))
        return false;
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(const_cast<char*>(path), &unused);
    if (size == 0)
        return false;
    HANDLE heap = GetProcessHeap();
    void* information = HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
    if (information == NULL)
        return false;

    bool atLeast = false;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT fixedSize = 0;
    // The root block may be missing its fixed part: a length of 0, or fewer bytes
    // than the record, gives no version to compare.
    if (GetFileVersionInfoA(const_cast<char*>(path), 0, size, information) &&
        VerQueryValueA(information, const_cast<char*>("\\"),
                       reinterpret_cast<void**>(&fixed), &fixedSize) &&
        fixed != NULL && fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
        atLeast = IsVersionAtLeast(fixed->dwFileVersionMS, fixed->dwFileVersionLS, threshold);
    }
    HeapFree(heap, 0, information);
    return atLeast;
}

namespace {

// The system's version record; all zeros (platform 0, which no probe accepts)
// when the system cannot give it.
OSVERSIONINFOA GetSystemVersion()
{
    OSVERSIONINFOA version;
    ClearBytes(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // the plain record, 148 bytes
    if (!GetVersionExA(&version))
        ClearBytes(&version, sizeof version);
    return version;
}

}  // namespace

bool IsWindowsMeOrLater()
{
    OSVERSIONINFOA v = GetSystemVersion();
    return IsMeOrLaterVersion(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
}

bool IsWindowsNt5OrLater()
{
    OSVERSIONINFOA v = GetSystemVersion();
    return IsNt5OrLaterVersion(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
}

bool IsWindowsNt()
{
    return GetSystemVersion().dwPlatformId == kPlatformNt;
}

RunOutcome RunAndWait(char* commandLine, DWORD* exitCode)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ClearBytes(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return kInstallerNotStarted;
    RunOutcome outcome = kExitCodeUnknown;
    if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, exitCode))
        outcome = kInstallerEnded;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return outcome;
}
