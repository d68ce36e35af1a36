/*
 * fakeinstaller.exe - stands in for an installer program started by the
 * launcher under test.  It shows no window.
 *
 * Command line tokens (anywhere, case-insensitive, unknown tokens ignored):
 *   /exit=<N>    exit code; decimal or 0x-prefixed hex, unsigned 32-bit
 *   /sleep=<ms>  time to wait before exiting (default 0)
 *   /spawn       start a second copy of itself ("<own path>" /sleep=3000
 *                /child) and do not wait for it
 *   /child       marks such a copy; it behaves like any other instance
 *
 * Without /exit=, the exit code may come from the environment variable
 * STARTTEST_EXITS: "<path>=<N>;<path>=<N>...", where <path> is the end of the
 * installer's own file path (compared without regard to case, at a backslash),
 * e.g. "dxmedia\setup.exe=3010;vbs\scr56.exe=0".  Thus one copy of the stand-in
 * put in place of each installer of a disc ends with the code that run needs.
 *
 * Log lines (appended to the file named by STARTTEST_LOG, if set):
 *   installer start pid=<pid> cmdline=<command line>
 *   installer spawned pid=<child pid>
 *   installer spawnfailed err=<GetLastError>
 *   installer exit code=<N, unsigned decimal>
 */
#include <windows.h>
#include <stdarg.h>
#include "helpers.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>






/* Case-insensitive (ASCII) test whether s starts with prefix. */
static int has_prefix(const char *s, const char *prefix)
{
    for (; *prefix; s++, prefix++) {
        char a = *s, b = *prefix;
        if (a >= 'A' && a <= 'Z')
            a = (char)(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = (char)(b - 'A' + 'a');
        if (a != b)
            return 0;
    }
    return 1;
}

/* The exit code that STARTTEST_EXITS gives this program's own path, or `code`. */
static DWORD code_from_environment(DWORD code)
{
    static char exits[4096];
    char self[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("STARTTEST_EXITS", exits, sizeof exits);
    if (n == 0 || n >= sizeof exits)
        return code;
    n = GetModuleFileNameA(NULL, self, sizeof self);
    if (n == 0 || n >= sizeof self)
        return code;
    size_t selflen = strlen(self);
    for (char *entry = exits; entry && *entry;) {
        char *next = strchr(entry, ';');
        if (next)
            *next++ = '\0';
        char *eq = strchr(entry, '=');
        if (eq) {
            size_t len = (size_t)(eq - entry);
            const char *tail = self + selflen - len;
            if (len > 0 && len <= selflen && (tail == self || tail[-1] == '\\')
                && _strnicmp(tail, entry, len) == 0)
                return parse_u32(eq + 1);
        }
        entry = next;
    }
    return code;
}

static void spawn_child(void)
{
    char self[MAX_PATH];
    char cmd[MAX_PATH + 64];
    DWORD n = GetModuleFileNameA(NULL, self, sizeof self);
    if (n == 0 || n >= sizeof self) {
        log_line("installer spawnfailed err=%lu", (unsigned long)GetLastError());
        return;
    }
    snprintf(cmd, sizeof cmd, "\"%s\" /sleep=3000 /child", self);

    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    memset(&pi, 0, sizeof pi);
    if (!CreateProcessA(self, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        log_line("installer spawnfailed err=%lu", (unsigned long)GetLastError());
        return;
    }
    log_line("installer spawned pid=%lu", (unsigned long)pi.dwProcessId);
    /* The child ends by itself after its 3 s sleep. */
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR lpCmd, int nShow)
{
    (void)hInst;
    (void)hPrev;
    (void)lpCmd;
    (void)nShow;

    const char *cmdline = GetCommandLineA();
    log_line("installer start pid=%lu cmdline=%s",
             (unsigned long)GetCurrentProcessId(), cmdline);

    DWORD code = code_from_environment(0), sleep_ms = 0;
    int spawn = 0;
    static char arg[32768];
    const char *p = skip_program_name(cmdline);
    while (next_arg(&p, arg, sizeof arg)) {
        if (has_prefix(arg, "/exit="))
            code = parse_u32(arg + 6);
        else if (has_prefix(arg, "/sleep="))
            sleep_ms = parse_u32(arg + 7);
        else if (has_prefix(arg, "/spawn") && arg[6] == '\0')
            spawn = 1;
    }

    if (spawn)
        spawn_child();
    if (sleep_ms)
        Sleep(sleep_ms);

    log_line("installer exit code=%lu", (unsigned long)code);
    ExitProcess(code);
    return (int)code;
}
