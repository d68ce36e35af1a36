/* Shared by the test helpers: the log they append to, and the parsing of their
 * command lines. Each helper is one source file that includes this header. */
#ifndef TEST_HELPERS_H
#define TEST_HELPERS_H

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

/* Large enough for the longest possible command line plus escaping. */
static char g_fmt[40000];
static char g_line[80000];

/* Appends `stamp` and one formatted line to the log file `path` with a single
   WriteFile, so that lines written by concurrent processes never interleave.
   CR and LF inside the text become the two characters "\n". */
static void append_log(const char *path, const char *stamp, const char *fmt, va_list ap)
{
    vsnprintf(g_fmt, sizeof g_fmt, fmt, ap);
    g_fmt[sizeof g_fmt - 1] = '\0';

    size_t j = 0;
    while (*stamp && j < sizeof g_line - 4)
        g_line[j++] = *stamp++;
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

/* Opens the launcher's readiness event and signals it. Returns 1 when it was
   signalled; otherwise 0, with the error in *err. */
static inline int signal_ready_event(DWORD *err)
{
    int ok = 0;
    HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, "qvrplay_ready");
    *err = 0;
    if (ev) {
        ok = SetEvent(ev) ? 1 : 0;
        if (!ok)
            *err = GetLastError();
        CloseHandle(ev);
    } else {
        *err = GetLastError();
    }
    return ok;
}

#ifndef HELPER_OWN_LOG_LINE
/* Appends one line to the log named by the environment variable STARTTEST_LOG
   (nothing when it is not set). */
static void log_line(const char *fmt, ...)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("STARTTEST_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    va_list ap;
    va_start(ap, fmt);
    append_log(path, "", fmt, ap);
    va_end(ap);
}
#endif

/* Skips the program name at the start of a command line (it follows
   simpler quoting rules than the other arguments). */
static inline const char *skip_program_name(const char *p)
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
static inline int next_arg(const char **pp, char *out, size_t outsz)
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
static inline DWORD parse_u32(const char *s)
{
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return (DWORD)strtoul(s + 2, NULL, 16);
    return (DWORD)strtoul(s, NULL, 10);
}

#endif
