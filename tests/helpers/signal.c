/*
 * signal.exe - sets the launcher's named "ready" event from outside, the way
 * a presentation player would.  It shows no window.
 *
 * Usage:
 *   signal.exe <count> <delay_ms>
 *       <count> times: wait <delay_ms>, open "qvrplay_ready" with
 *       EVENT_MODIFY_STATE and SetEvent it.
 *   signal.exe create [<hold_ms>]
 *       create the event already signalled (auto-reset) before anyone else
 *       does, and keep it open for <hold_ms> (default 30000) so that a
 *       launcher started meanwhile finds it existing and signalled.
 *
 * Log lines (appended to the file named by STARTTEST_LOG, if set):
 *   signal set n=<i> ok=<0|1> err=<GetLastError, 0 when ok>
 *   signal created existed=<0|1>
 *   signal createfailed err=<GetLastError>
 *   signal released
 *   signal usage
 * Exit code 0, or 1 for a usage error or a failed create.
 */
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EVENT_NAME "qvrplay_ready"

/* Large enough for the longest possible command line plus escaping. */
static char g_fmt[40000];
static char g_line[80000];

/* Appends one line to the log file with a single WriteFile so that lines
   written by concurrent processes never interleave.  CR and LF inside the
   text become the two characters "\n". */
static void log_line(const char *fmt, ...)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("STARTTEST_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;

    va_list ap;
    va_start(ap, fmt);
    vsnprintf(g_fmt, sizeof g_fmt, fmt, ap);
    va_end(ap);
    g_fmt[sizeof g_fmt - 1] = '\0';

    size_t j = 0;
    for (const char *p = g_fmt; *p && j < sizeof g_line - 4; p++) {
        if (*p == '\r' || *p == '\n') {
            if (p[0] == '\r' && p[1] == '\n')
                p++;
            g_line[j++] = '\\';
            g_line[j++] = 'n';
        } else {
            g_line[j++] = *p;
        }
    }
    g_line[j++] = '\n';

    for (int tries = 0; tries < 100; tries++) {
        HANDLE h = CreateFileA(path, FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(h, g_line, (DWORD)j, &written, NULL);
            CloseHandle(h);
            return;
        }
        Sleep(10);
    }
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR lpCmd, int nShow)
{
    (void)hInst;
    (void)hPrev;
    (void)nShow;

    char a1[64] = "", a2[64] = "";
    if (sscanf(lpCmd, "%63s %63s", a1, a2) < 1) {
        log_line("signal usage");
        return 1;
    }

    if (strcmp(a1, "create") == 0) {
        DWORD hold = a2[0] ? (DWORD)strtoul(a2, NULL, 10) : 30000;
        HANDLE ev = CreateEventA(NULL, FALSE, TRUE, EVENT_NAME);
        if (!ev) {
            log_line("signal createfailed err=%lu", (unsigned long)GetLastError());
            return 1;
        }
        int existed = GetLastError() == ERROR_ALREADY_EXISTS;
        log_line("signal created existed=%d", existed);
        Sleep(hold);
        CloseHandle(ev);
        log_line("signal released");
        return 0;
    }

    if (!a2[0]) {
        log_line("signal usage");
        return 1;
    }
    long count = strtol(a1, NULL, 10);
    DWORD delay = (DWORD)strtoul(a2, NULL, 10);
    for (long i = 1; i <= count; i++) {
        Sleep(delay);
        int ok = 0;
        DWORD err = 0;
        HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, EVENT_NAME);
        if (ev) {
            ok = SetEvent(ev) ? 1 : 0;
            if (!ok)
                err = GetLastError();
            CloseHandle(ev);
        } else {
            err = GetLastError();
        }
        log_line("signal set n=%ld ok=%d err=%lu", i, ok, (unsigned long)err);
    }
    return 0;
}
