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
#include "helpers.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EVENT_NAME "qvrplay_ready" /* the launcher's readiness event */



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
        DWORD err;
        int ok = signal_ready_event(&err);
        log_line("signal set n=%ld ok=%d err=%lu", i, ok, (unsigned long)err);
    }
    return 0;
}
