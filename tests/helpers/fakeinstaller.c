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
 * Log lines (appended to the file named by STARTTEST_LOG, if set):
 *   installer start pid=<pid> cmdline=<command line>
 *   installer spawned pid=<child pid>
 *   installer spawnfailed err=<GetLastError>
 *   installer exit code=<N, unsigned decimal>
 */
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

/* Skips the program name at the start of a command line (it follows
   simpler quoting rules than the other arguments). */
static const char *skip_program_name(const char *p)
{
    if (*p == '"') {
        p++;
        while (*p && *p != '"')
            p++;
        if (*p == '"')
            p++;
    }
    while (*p && *p != ' ' && *p != '\t')
        p++;
    return p;
}

/* Reads the next argument using the usual Windows command line rules:
   double quotes group spaces, 2n backslashes before a quote give n
   backslashes, 2n+1 give n backslashes and a literal quote.
   Returns 0 when there are no more arguments. */
static int next_arg(const char **pp, char *out, size_t outsz)
{
    const char *p = *pp;
    size_t n = 0;
    int inq = 0;

    while (*p == ' ' || *p == '\t')
        p++;
    if (!*p) {
        *pp = p;
        return 0;
    }
#define PUT(c) do { if (n + 1 < outsz) out[n++] = (c); } while (0)
    while (*p && (inq || (*p != ' ' && *p != '\t'))) {
        if (*p == '\\') {
            size_t bs = 0;
            while (*p == '\\') {
                bs++;
                p++;
            }
            if (*p == '"') {
                for (size_t i = 0; i < bs / 2; i++)
                    PUT('\\');
                if (bs % 2) {
                    PUT('"');
                    p++;
                }
            } else {
                for (size_t i = 0; i < bs; i++)
                    PUT('\\');
            }
        } else if (*p == '"') {
            if (inq && p[1] == '"') {
                PUT('"');
                p += 2;
            } else {
                inq = !inq;
                p++;
            }
        } else {
            PUT(*p);
            p++;
        }
    }
#undef PUT
    out[n] = '\0';
    *pp = p;
    return 1;
}

/* Parses an unsigned 32-bit number: decimal, or hex with a 0x prefix. */
static DWORD parse_u32(const char *s)
{
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return (DWORD)strtoul(s + 2, NULL, 16);
    return (DWORD)strtoul(s, NULL, 10);
}

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

    DWORD code = 0, sleep_ms = 0;
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
