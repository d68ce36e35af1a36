// Process entry point of the launcher, in place of the C runtime's start-up.
//
// The launcher links no C runtime, so it loads on Windows 95 and NT 4.0 without
// any runtime DLL. The entry point gathers WinMain's arguments itself and ends the
// process with its result.
#include <windows.h>

#include "launch.h"

namespace {

// The command line after the program's name (which may be in quotation marks),
// without the blanks that separate them.
LPSTR CommandTail(LPSTR line)
{
    bool quoted = false;
    while (*line != 0 && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"')
            quoted = !quoted;
        line = CharNextA(line);
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    // The command line and the show command are not used: the launcher has no
    // options and always shows its windows normally.
    return RunLaunch(module);
}

extern "C" void __cdecl StartEntry()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(NULL), NULL, CommandTail(GetCommandLineA()), show)));
}

// The compiler may turn structure initialisations into calls of these two; with
// no C runtime linked, the launcher brings its own.
extern "C" void* __cdecl memset(void* target, int value, size_t count)
{
    volatile unsigned char* bytes = static_cast<unsigned char*>(target);
    while (count-- > 0)
        *bytes++ = static_cast<unsigned char>(value);
    return target;
}

extern "C" void* __cdecl memcpy(void* target, const void* source, size_t count)
{
    volatile unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count-- > 0)
        *to++ = *from++;
    return target;
}
