/*
 * fakeplayer.exe - stands in for the presentation player that the launcher
 * starts.  It shows a plain window titled "Fake player".
 *
 * Behaviour comes from the environment variable STARTTEST_PLAYER
 * (default "signal:0"):
 *   signal:<ms>[,linger:<ms2>]  <ms> after the window is shown, open the
 *                               named event "qvrplay_ready" and set it, then
 *                               keep running <ms2> (default 0), exit 0.
 *   never                       never set the event; exit 0 after 60 s.
 *   exit:<ms>                   exit 0 after <ms> without setting the event.
 *   wait:<file>                 set the event once <file> exists (looked for
 *                               every 20 ms, at most 60 s), then exit 0: it
 *                               keeps the launcher's splash up until then.
 *
 * Log lines (appended to the file named by STARTTEST_LOG, if set):
 *   player start pid=<pid> cmdline=<command line>
 *   player signalled pid=<pid> ok=<0|1> err=<GetLastError, 0 when ok>
 *   player done pid=<pid>            (signal mode, after the linger time)
 *   player timeout pid=<pid>         (never mode, after 60 s)
 *   player exit pid=<pid>            (exit mode)
 *   player closed pid=<pid>          (window closed by someone else)
 *   player badmode mode=<value>      (unknown mode; exits with code 1)
 *   player nowindow err=<n>          (window could not be created; exit 1)
 */
#include <windows.h>
#include <stdarg.h>
#include "helpers.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define SAFETY_MS 60000

enum { MODE_SIGNAL, MODE_NEVER, MODE_EXIT, MODE_WAIT };
enum { TIMER_MAIN = 1, TIMER_LINGER = 2, TIMER_LOOK = 3 };
#define LOOK_MS 20

static char g_waitfile[MAX_PATH];
static DWORD g_looked_ms = 0;

static int g_mode = MODE_SIGNAL;
static DWORD g_ms = 0;
static DWORD g_linger = 0;
static int g_finished = 0;   /* set once we decided to exit by ourselves */



/* Reads STARTTEST_PLAYER into g_mode/g_ms/g_linger.  Returns 0 if the
   value is not understood. */
static int parse_mode(const char *s)
{
    char *end;
    if (strcmp(s, "never") == 0) {
        g_mode = MODE_NEVER;
        g_ms = SAFETY_MS;
        return 1;
    }
    if (strncmp(s, "wait:", 5) == 0 && s[5] != '\0') {
        g_mode = MODE_WAIT;
        lstrcpynA(g_waitfile, s + 5, sizeof g_waitfile);
        return 1;
    }
    if (strncmp(s, "exit:", 5) == 0) {
        g_mode = MODE_EXIT;
        g_ms = (DWORD)strtoul(s + 5, &end, 10);
        return end != s + 5 && *end == '\0';
    }
    if (strncmp(s, "signal:", 7) == 0) {
        g_mode = MODE_SIGNAL;
        g_ms = (DWORD)strtoul(s + 7, &end, 10);
        if (end == s + 7)
            return 0;
        if (*end == '\0')
            return 1;
        if (strncmp(end, ",linger:", 8) != 0)
            return 0;
        const char *l = end + 8;
        g_linger = (DWORD)strtoul(l, &end, 10);
        return end != l && *end == '\0';
    }
    return 0;
}

static void finish(HWND hwnd)
{
    g_finished = 1;
    DestroyWindow(hwnd);
}

static void set_ready_event(void)
{
    DWORD err;
    int ok = signal_ready_event(&err);
    log_line("player signalled pid=%lu ok=%d err=%lu",
             (unsigned long)GetCurrentProcessId(), ok, (unsigned long)err);
}

static LRESULT CALLBACK wnd_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DWORD pid = GetCurrentProcessId();
    switch (msg) {
    case WM_TIMER:
        if (wp == TIMER_LOOK) {
            g_looked_ms += LOOK_MS;
            if (GetFileAttributesA(g_waitfile) != INVALID_FILE_ATTRIBUTES) {
                KillTimer(hwnd, wp);
                set_ready_event();
                log_line("player done pid=%lu", (unsigned long)pid);
                finish(hwnd);
            } else if (g_looked_ms >= SAFETY_MS) {
                KillTimer(hwnd, wp);
                log_line("player timeout pid=%lu", (unsigned long)pid);
                finish(hwnd);
            }
            return 0;
        }
        KillTimer(hwnd, wp);
        if (wp == TIMER_MAIN) {
            if (g_mode == MODE_SIGNAL) {
                set_ready_event();
                if (g_linger)
                    SetTimer(hwnd, TIMER_LINGER, g_linger, NULL);
                else {
                    log_line("player done pid=%lu", (unsigned long)pid);
                    finish(hwnd);
                }
            } else if (g_mode == MODE_NEVER) {
                log_line("player timeout pid=%lu", (unsigned long)pid);
                finish(hwnd);
            } else {
                log_line("player exit pid=%lu", (unsigned long)pid);
                finish(hwnd);
            }
        } else if (wp == TIMER_LINGER) {
            log_line("player done pid=%lu", (unsigned long)pid);
            finish(hwnd);
        }
        return 0;
    case WM_DESTROY:
        if (!g_finished)
            log_line("player closed pid=%lu", (unsigned long)pid);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR lpCmd, int nShow)
{
    (void)hPrev;
    (void)lpCmd;
    (void)nShow;

    /* The performance counter is system-wide, so the benchmarks can set this
     * time against the robot's "started" time. */
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    log_line("player start pid=%lu us=%.0f cmdline=%s", (unsigned long)GetCurrentProcessId(),
             (double)now.QuadPart * 1e6 / (double)frequency.QuadPart, GetCommandLineA());

    char mode[256];
    DWORD n = GetEnvironmentVariableA("STARTTEST_PLAYER", mode, sizeof mode);
    if (n == 0 || n >= sizeof mode)
        strcpy(mode, "signal:0");
    if (!parse_mode(mode)) {
        log_line("player badmode mode=%s", mode);
        return 1;
    }

    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = wnd_proc;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "FakePlayerWindow";
    RegisterClassA(&wc);

    HWND hwnd = CreateWindowA("FakePlayerWindow", "Fake player", WS_OVERLAPPEDWINDOW,
                              CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                              NULL, NULL, hInst, NULL);
    if (!hwnd) {
        log_line("player nowindow err=%lu", (unsigned long)GetLastError());
        return 1;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (g_mode == MODE_WAIT)
        SetTimer(hwnd, TIMER_LOOK, LOOK_MS, NULL);
    else
        SetTimer(hwnd, TIMER_MAIN, g_ms, NULL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
