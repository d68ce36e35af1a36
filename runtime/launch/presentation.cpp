#include "command_rules.h"
#include "launch.h"

#include "../settings/settings.h"
#include "../text.h"

HANDLE StartPresentation(HINSTANCE module)
{
    char settingsPath[kPathSize];
    char format[kCommandSize];
    char command[kCommandSize];
    GetSettingsPath(module, settingsPath);
    ReadSettingText(settingsPath, "Start", "open", "", format, sizeof format);
    if (format[0] == 0)
        return NULL;

    // The launcher's directory, with its trailing separator: the settings path
    // without the file name that was appended to it.
    int directoryLength = TextLength(settingsPath) - (sizeof kSettingsFileName - 1);
    settingsPath[directoryLength > 0 ? directoryLength : 0] = 0;
    ExpandCommand(format, settingsPath, command, sizeof command);

    // Started the way WinExec starts a command (no application name, so the
    // program is the command's first word and is searched for as WinExec does,
    // shown normally), but keeping the process handle so that the wait can end
    // when the player ends without signalling.
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ClearBytes(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}
