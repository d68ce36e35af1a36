#include "steps.h"

#include "../settings/settings.h"
#include "../text.h"
#include "prereq_rules.h"
#include "probes.h"

namespace {

const char kStartSection[] = "Start";
const char kMarkerKey[] = "Software";
const char kMarkerSubkey[] = "Orlimaze";
const char kMarkerValue[] = "DXMedia";
const int kDefaultDXMediaVersion = 600;

// DirectX and DirectX Media come with Windows Me and Windows 2000 and later.
bool SystemHasDirectX()
{
    return IsWindowsMeOrLater() || IsWindowsNt5OrLater();
}

// Offers an installation and tells whether to run it: only when the installer's
// program (the command's text up to its first blank) is there, and only when the
// user answers OK. Cancel, Esc, the close box and a missing text all decline.
bool OfferInstallation(HINSTANCE module, const char* command, const char* questionKey)
{
    char programPath[kPathSize];
    if (!GetProgramPath(command, programPath, sizeof programPath) || !FileExists(programPath))
        return false;
    return ShowMessage(module, questionKey, MB_OKCANCEL) == IDOK;
}

// The DirectX Media version that a successful installation recorded; 0 when
// there is no record or it cannot be read.
int ReadDXMediaMarker()
{
    DWORD value = 0;
    HKEY software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, 0, KEY_QUERY_VALUE, &software) !=
        ERROR_SUCCESS)
        return 0;
    HKEY vendor;
    if (RegOpenKeyExA(software, kMarkerSubkey, 0, KEY_QUERY_VALUE, &vendor) == ERROR_SUCCESS) {
        DWORD type = REG_DWORD;
        DWORD size = sizeof value;
        // Data of 4 bytes or fewer are taken as their raw bytes, whatever their
        // type. Longer data do not fit: the query fails and the record reads 0.
        if (RegQueryValueExA(vendor, kMarkerValue, NULL, &type, reinterpret_cast<BYTE*>(&value),
                             &size) != ERROR_SUCCESS)
            value = 0;
        RegCloseKey(vendor);
    }
    RegCloseKey(software);
    return static_cast<int>(value);
}

void WriteDXMediaMarker(int version)
{
    HKEY software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, 0, KEY_WRITE, &software) != ERROR_SUCCESS)
        return;
    HKEY vendor;
    DWORD disposition;
    char noClass[1] = {0};
    if (RegCreateKeyExA(software, kMarkerSubkey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        NULL, &vendor, &disposition) == ERROR_SUCCESS) {
        DWORD value = static_cast<DWORD>(version);
        RegSetValueExA(vendor, kMarkerValue, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                       sizeof value);
        RegCloseKey(vendor);
    }
    RegCloseKey(software);
}

// A function of `module` looked up by name, or NULL where this system lacks it.
template <typename Function>
Function FindFunction(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// NT refuses a restart to a process that has not enabled its shutdown privilege.
// The security functions exist only on NT, so they are looked up at run time:
// the launcher must still load on Windows 95.
void EnableShutdownPrivilege()
{
    typedef BOOL(WINAPI * OpenProcessTokenFunction)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * LookupPrivilegeValueFunction)(LPCSTR, LPCSTR, PLUID);
    typedef BOOL(WINAPI * AdjustTokenPrivilegesFunction)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                                         PTOKEN_PRIVILEGES, PDWORD);
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    if (advapi == NULL)
        return;
    OpenProcessTokenFunction openProcessToken =
        FindFunction<OpenProcessTokenFunction>(advapi, "OpenProcessToken");
    LookupPrivilegeValueFunction lookupPrivilegeValue =
        FindFunction<LookupPrivilegeValueFunction>(advapi, "LookupPrivilegeValueA");
    AdjustTokenPrivilegesFunction adjustTokenPrivileges =
        FindFunction<AdjustTokenPrivilegesFunction>(advapi, "AdjustTokenPrivileges");
    if (openProcessToken == NULL || lookupPrivilegeValue == NULL || adjustTokenPrivileges == NULL)
        return;

    HANDLE token;
    if (!openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (lookupPrivilegeValue(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        adjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
    CloseHandle(token);
}

void RequestRestart()
{
    if (IsWindowsNt())
        EnableShutdownPrivilege();
    // Whether the restart begins is not ours to know: the launch stops either way.
    ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace

bool RunDirectXStep(HINSTANCE module)
{
    if (SystemHasDirectX())
        return true;
    char settingsPath[kPathSize];
    char command[kPathSize];
    GetSettingsPath(module, settingsPath);
    if (ReadSettingText(settingsPath, kStartSection, "DirectX", "", command, sizeof command) == 0)
        return true;

    DWORD exitCode = 0;
    switch (RunAndWait(command, &exitCode)) {
    case kInstallerNotStarted:
        // A disc without this installer is tolerated: DirectX may be there already.
        return true;
    case kInstallerEnded:
        return exitCode == 0;
    default:
        return false;
    }
}

bool RunDXMediaStep(HINSTANCE module)
{
    if (SystemHasDirectX())
        return true;
    char settingsPath[kPathSize];
    char command[kPathSize];
    GetSettingsPath(module, settingsPath);
    if (ReadSettingText(settingsPath, kStartSection, "DXMedia", "", command, sizeof command) == 0)
        return true;
    int required = ReadSettingInt(settingsPath, kStartSection, "DXMediaVersion",
                                  kDefaultDXMediaVersion);
    if (ReadDXMediaMarker() >= required)
        return true;
    if (!OfferInstallation(module, command, kInstallDXMediaKey))
        return true;

    DWORD exitCode = 0;
    bool ended = RunAndWait(command, &exitCode) == kInstallerEnded;
    DXMediaOutcome outcome = GetDXMediaOutcome(ended, exitCode);
    if (outcome.writeMarker)
        WriteDXMediaMarker(required);
    ShowMessage(module, outcome.messageKey, MB_OK);
    if (outcome.restart)
        RequestRestart();
    return outcome.proceed;
}

bool RunScriptStep(HINSTANCE module)
{
    char settingsPath[kPathSize];
    char command[kPathSize];
    GetSettingsPath(module, settingsPath);
    if (ReadSettingText(settingsPath, kStartSection, "Script", "", command, sizeof command) == 0)
        return true;

    // The engine's path; a system folder that cannot be known or is too long for
    // it counts as a missing engine.
    char enginePath[kPathSize];
    UINT length = GetSystemDirectoryA(enginePath, sizeof enginePath);
    bool engineKnown = length > 0 && length < sizeof enginePath &&
                       AppendText(enginePath, sizeof enginePath, "\\vbscript.dll");
    if (engineKnown && IsFileVersionAtLeast(enginePath, kScriptEngineVersion))
        return true;

    if (!OfferInstallation(module, command, kInstallScriptKey))
        return true;

    DWORD exitCode = 0;
    if (RunAndWait(command, &exitCode) == kInstallerEnded && exitCode == 0)
        return true;
    ShowMessage(module, kUnknownErrorKey, MB_OK);
    return false;
}
