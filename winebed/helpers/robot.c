/*
 * robot.exe - starts a program (the launcher under test), watches its
 * visible top-level windows, records what it sees in a log file and answers
 * its message boxes.  Console program.
 *
 * Usage:
 *   robot.exe /log=<file> /timeout=<ms> [/winver=<name>] [/answers=<a,b,...>]
 *             [/marker=<n>] [/markerraw=<type>:<hexbytes>] [/nomarker]
 *             [/closesplash] [/args=<text>] [/cwd=<dir>] [/hold=<dir>]
 *             [/refuserestart] <program path>
 *
 * The program path is the last argument.  Arguments follow the usual Windows
 * quoting rules (double quotes group spaces, \" is a literal quote).
 * /timeout defaults to 30000.  Answers: ok, cancel, esc, close, none; when the
 * list is used up every further box gets "ok".
 * /hold=<dir>: after logging a splash or a message box, and before answering a
 * box, the robot logs "robot hold n=<k>" (k counts from 1) and waits until the
 * file <dir>\go<k> exists, so that its picture can be taken first.
 * /refuserestart: the robot keeps a hidden window that answers a session end
 * (WM_QUERYENDSESSION, which Wine sends to every window when a program asks
 * for a restart) with FALSE, so that the prefix's session goes on; after the
 * program has ended it stays up to 3 s for a request to refuse.
 *
 * Every log line starts with "t=<ms since robot start> ".  Lines:
 *   robot winver=<name|default>
 *   robot winverfailed err=<n>
 *   robot markerset type=<n> size=<n> err=<n>
 *   robot markerdeleted err=<n>              (2 = was absent)
 *   robot started pid=<pid> us=<performance counter, microseconds>
 *   robot startfailed err=<n>                (robot exits 2)
 *   msgbox owner=<hex> style=<hex> exstyle=<hex> icon=<0|1> buttons=<B1|B2...>
 *   msgbox caption=<text>
 *   msgbox text=<text>
 *   msgbox rect=<l,t,r,b>                    (window rectangle, screen pixels)
 *   msgbox answer=<word>
 *   msgbox gone
 *   splash style=<hex> exstyle=<hex> owner=<hex> rect=<l,t,r,b> client=<w,h>
 *          workarea=<l,t,r,b> topmost=<0|1> sysmenu=<0|1>      (one line)
 *   splash caption=<text>
 *   splash text=<text>
 *   splash textstyle=<hex>
 *   splash fit font=<own|template|none> width=<w> height=<h> need=<n> cut=<0|1>
 *          (the text measured with the text control's font by the static
 *          control's rule; need > height means lines are not shown; font
 *          "template": measured in a hidden copy made from the program's own
 *          dialog template, "none": not measured, need=-1)
 *   splash responsive=<0|1>
 *   splash afterclose exists=<0|1> visible=<0|1>     (only with /closesplash)
 *   splash gone
 *   window style=<hex> exstyle=<hex> class=<class name>
 *   window caption=<text>
 *   robot hold n=<k>
 *   robot holdtimeout n=<k>
 *   robot endsession refused
 *   robot exit code=<unsigned decimal>
 *   robot timeout                            (program killed, robot exits 3)
 *   robot cpu user_ms=<n> kernel_ms=<n>      (main thread of the program)
 *   robot marker=absent
 *   robot marker=value=<unsigned decimal|long> type=<n> size=<n>
 *   robot marker=error err=<n>
 *   robot usage msg=<text>                   (robot exits 4)
 *
 * Exit code: 0 program ended by itself, 2 could not start it, 3 timeout,
 * 4 bad command line.
 */
#include <windows.h>
#include <stdarg.h>
#define HELPER_OWN_LOG_LINE
#include "helpers.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MARKER_KEY "Software\\Orlimaze"
#define MARKER_VALUE "DXMedia"
#define MAX_SEEN 512
#define MAX_ANSWERS 64

static char g_logpath[MAX_PATH * 2];
static DWORD g_t0;

/* Appends one line, stamped with the milliseconds since the robot started, to
   the log named by /log=. */
static void log_line(const char *fmt, ...)
{
    if (!g_logpath[0])
        return;
    char stamp[32];
    snprintf(stamp, sizeof stamp, "t=%lu ", (unsigned long)(GetTickCount() - g_t0));
    va_list ap;
    va_start(ap, fmt);
    append_log(g_logpath, stamp, fmt, ap);
    va_end(ap);
}





static int starts_with(const char *s, const char *prefix)
{
    return strncmp(s, prefix, strlen(prefix)) == 0;
}

static unsigned long elapsed(void)
{
    return (unsigned long)(GetTickCount() - g_t0);
}

static unsigned long hwnd_hex(HWND h)
{
    return (unsigned long)(ULONG_PTR)h;
}

/* ---- registry set-up ------------------------------------------------ */

/* Sets or (name == NULL) deletes HKCU\Software\Wine\AppDefaults\<exe>\Version,
   which selects the Windows version Wine reports to that program. */
static void set_winver(const char *exe_name, const char *name)
{
    char key[MAX_PATH + 64];
    snprintf(key, sizeof key, "Software\\Wine\\AppDefaults\\%s", exe_name);
    HKEY hk;
    LONG rc;
    if (name) {
        rc = RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &hk, NULL);
        if (rc == ERROR_SUCCESS) {
            rc = RegSetValueExA(hk, "Version", 0, REG_SZ, (const BYTE *)name, (DWORD)strlen(name) + 1);
            RegCloseKey(hk);
        }
        if (rc != ERROR_SUCCESS)
            log_line("robot winverfailed err=%ld", (long)rc);
    } else {
        rc = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &hk);
        if (rc == ERROR_SUCCESS) {
            RegDeleteValueA(hk, "Version");
            RegCloseKey(hk);
        }
    }
    log_line("robot winver=%s", name ? name : "default");
}

static void set_marker(DWORD type, const BYTE *data, DWORD size)
{
    HKEY hk;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, MARKER_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &hk, NULL);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExA(hk, MARKER_VALUE, 0, type, data, size);
        RegCloseKey(hk);
    }
    log_line("robot markerset type=%lu size=%lu err=%ld", (unsigned long)type, (unsigned long)size, (long)rc);
}

static void delete_marker(void)
{
    HKEY hk;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, MARKER_KEY, 0, KEY_SET_VALUE, &hk);
    if (rc == ERROR_SUCCESS) {
        rc = RegDeleteValueA(hk, MARKER_VALUE);
        RegCloseKey(hk);
    }
    log_line("robot markerdeleted err=%ld", (long)rc);
}

static int hexval(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* "<type>:<hexbytes>" -> type and bytes.  Returns 0 on a malformed value. */
static int parse_markerraw(const char *s, DWORD *type, BYTE *buf, DWORD bufsz, DWORD *size)
{
    const char *colon = strchr(s, ':');
    if (!colon || colon == s)
        return 0;
    char num[32];
    size_t len = (size_t)(colon - s);
    if (len >= sizeof num)
        return 0;
    memcpy(num, s, len);
    num[len] = '\0';
    *type = parse_u32(num);
    const char *h = colon + 1;
    DWORD n = 0;
    while (h[0]) {
        int hi = hexval(h[0]), lo = h[1] ? hexval(h[1]) : -1;
        if (hi < 0 || lo < 0 || n >= bufsz)
            return 0;
        buf[n++] = (BYTE)(hi * 16 + lo);
        h += 2;
    }
    *size = n;
    return 1;
}

static void log_marker_state(void)
{
    HKEY hk;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, MARKER_KEY, 0, KEY_QUERY_VALUE, &hk);
    if (rc == ERROR_FILE_NOT_FOUND) {
        log_line("robot marker=absent");
        return;
    }
    if (rc != ERROR_SUCCESS) {
        log_line("robot marker=error err=%ld", (long)rc);
        return;
    }
    BYTE buf[16];
    DWORD type = 0, size = sizeof buf;
    memset(buf, 0, sizeof buf);
    rc = RegQueryValueExA(hk, MARKER_VALUE, NULL, &type, buf, &size);
    RegCloseKey(hk);
    if (rc == ERROR_FILE_NOT_FOUND) {
        log_line("robot marker=absent");
    } else if (rc == ERROR_SUCCESS && size <= 4) {
        DWORD v = (DWORD)buf[0] | ((DWORD)buf[1] << 8) | ((DWORD)buf[2] << 16) | ((DWORD)buf[3] << 24);
        log_line("robot marker=value=%lu type=%lu size=%lu", (unsigned long)v, (unsigned long)type, (unsigned long)size);
    } else if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        log_line("robot marker=value=long type=%lu size=%lu", (unsigned long)type, (unsigned long)size);
    } else {
        log_line("robot marker=error err=%ld", (long)rc);
    }
}

/* ---- watching the windows ------------------------------------------ */

static DWORD g_pid;
static HWND g_found[MAX_SEEN];
static int g_nfound;
static HWND g_seen[MAX_SEEN];
static int g_nseen;

static BOOL CALLBACK collect_window(HWND h, LPARAM lp)
{
    (void)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == g_pid && IsWindowVisible(h) && g_nfound < MAX_SEEN)
        g_found[g_nfound++] = h;
    return TRUE;
}

static int was_seen(HWND h)
{
    for (int i = 0; i < g_nseen; i++)
        if (g_seen[i] == h)
            return 1;
    return 0;
}

static void mark_seen(HWND h)
{
    if (g_nseen < MAX_SEEN)
        g_seen[g_nseen++] = h;
}

/* Direct child with the given control id (compared as 16 bits, since a
   dialog template may store 0xFFFF either as a 16-bit or a 32-bit id). */
static HWND child_by_id(HWND parent, int id)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetDlgCtrlID(c) & 0xFFFF) == (id & 0xFFFF))
            return c;
    return NULL;
}

/* Texts of the visible Button children in z-order, ampersands removed
   ("&&" stays as one '&'), joined by '|'. */
static void button_texts(HWND box, char *out, size_t outsz)
{
    size_t n = 0;
    out[0] = '\0';
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64], text[256];
        if (!GetClassNameA(c, cls, sizeof cls) || lstrcmpiA(cls, "Button") != 0 || !IsWindowVisible(c))
            continue;
        GetWindowTextA(c, text, sizeof text);
        if (n && n + 1 < outsz)
            out[n++] = '|';
        for (const char *p = text; *p && n + 1 < outsz; p++) {
            if (*p == '&') {
                if (p[1] != '&')
                    continue;
                p++;
            }
            out[n++] = *p;
        }
        out[n] = '\0';
    }
}

static void answer_box(HWND box, const char *word)
{
    if (strcmp(word, "ok") == 0) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
    } else if (strcmp(word, "cancel") == 0) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(box, IDCANCEL));
    } else if (strcmp(word, "esc") == 0) {
        /* The key goes to the focused control, as a real key press would;
           the dialog's message loop turns Esc into a Cancel command. */
        GUITHREADINFO gti;
        memset(&gti, 0, sizeof gti);
        gti.cbSize = sizeof gti;
        HWND target = box;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(box, NULL), &gti) && gti.hwndFocus
            && (gti.hwndFocus == box || IsChild(box, gti.hwndFocus)))
            target = gti.hwndFocus;
        PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(target, WM_KEYUP, VK_ESCAPE, (LPARAM)0xC0010001u);
    } else if (strcmp(word, "close") == 0) {
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    /* "none": leave the box alone. */
    log_line("msgbox answer=%s", word);
}

static char g_text[8192];

static void log_msgbox(HWND box)
{
    char buttons[1024];
    button_texts(box, buttons, sizeof buttons);
    HWND icon = child_by_id(box, 0x0440);
    int has_icon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    log_line("msgbox owner=%lx style=%lx exstyle=%lx icon=%d buttons=%s",
             hwnd_hex(GetWindow(box, GW_OWNER)),
             (unsigned long)GetWindowLongA(box, GWL_STYLE),
             (unsigned long)GetWindowLongA(box, GWL_EXSTYLE), has_icon, buttons);
    GetWindowTextA(box, g_text, sizeof g_text);
    log_line("msgbox caption=%s", g_text);
    g_text[0] = '\0';
    GetWindowTextA(child_by_id(box, 0xFFFF), g_text, sizeof g_text);
    log_line("msgbox text=%s", g_text);
    RECT r;
    GetWindowRect(box, &r);
    log_line("msgbox rect=%ld,%ld,%ld,%ld", (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
}

static const char *g_program;   /* the program's path, from the command line */

static INT_PTR CALLBACK quiet_dialog_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)h;
    (void)wp;
    (void)lp;
    return msg == WM_INITDIALOG;
}

/* Height that `text` needs in control `ctl` of this process: the control's font
   (WM_GETFONT), word wrapping and centring at the control's client width
   (DT_WORDBREAK | DT_CENTER, the static control's rule for SS_CENTER). Returns
   -1 when the font cannot be selected. */
static long text_height(HWND ctl, const char *text, long width)
{
    HFONT font = (HFONT)SendMessageA(ctl, WM_GETFONT, 0, 0);
    HDC dc = GetDC(ctl);
    RECT need;
    long height = -1;
    if (!dc)
        return -1;
    HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
    if (old) {
        SetRect(&need, 0, 0, width, 0);
        DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        height = (long)need.bottom;
        SelectObject(dc, old);
    }
    ReleaseDC(ctl, dc);
    return height;
}

/* Measures the splash text as its control lays it out and compares the height
   needed with the control's client height. A font handle belongs to the process
   that made it, so when the splash's own font cannot be selected here, the
   robot makes a hidden copy of the dialog from the program's own template 102
   (the dialog manager makes the same font the same way) and measures there. */
static void log_splash_fit(HWND s)
{
    HWND ctl = child_by_id(s, 1000);
    RECT cr;
    static char text[512];
    const char *how = "own";
    if (!ctl)
        return;
    GetClientRect(ctl, &cr);
    text[0] = '\0';
    GetWindowTextA(ctl, text, sizeof text);
    long width = (long)(cr.right - cr.left), height = (long)(cr.bottom - cr.top);
    long need = text_height(ctl, text, width);
    if (need < 0 && g_program) {
        how = "none";
        HMODULE module = LoadLibraryExA(g_program, NULL, LOAD_LIBRARY_AS_DATAFILE);
        if (module) {
            HWND copy = CreateDialogParamA(module, MAKEINTRESOURCEA(102), NULL, quiet_dialog_proc, 0);
            HWND copyctl = copy ? child_by_id(copy, 1000) : NULL;
            if (copyctl) {
                need = text_height(copyctl, text, width);
                if (need >= 0)
                    how = "template";
            }
            if (copy)
                DestroyWindow(copy);
            FreeLibrary(module);
        }
    }
    log_line("splash fit font=%s width=%ld height=%ld need=%ld cut=%d", how, width, height,
             need, need > height ? 1 : 0);
}

static void log_splash(HWND s, int closesplash)
{
    RECT r, c, wa;
    GetWindowRect(s, &r);
    GetClientRect(s, &c);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    LONG style = GetWindowLongA(s, GWL_STYLE);
    LONG exstyle = GetWindowLongA(s, GWL_EXSTYLE);
    log_line("splash style=%lx exstyle=%lx owner=%lx rect=%ld,%ld,%ld,%ld client=%ld,%ld "
             "workarea=%ld,%ld,%ld,%ld topmost=%d sysmenu=%d",
             (unsigned long)style, (unsigned long)exstyle, hwnd_hex(GetWindow(s, GW_OWNER)),
             (long)r.left, (long)r.top, (long)r.right, (long)r.bottom,
             (long)(c.right - c.left), (long)(c.bottom - c.top),
             (long)wa.left, (long)wa.top, (long)wa.right, (long)wa.bottom,
             (exstyle & WS_EX_TOPMOST) ? 1 : 0, (style & WS_SYSMENU) ? 1 : 0);
    GetWindowTextA(s, g_text, sizeof g_text);
    log_line("splash caption=%s", g_text);
    g_text[0] = '\0';
    GetDlgItemTextA(s, 1000, g_text, sizeof g_text);
    log_line("splash text=%s", g_text);
    log_line("splash textstyle=%lx", (unsigned long)GetWindowLongA(child_by_id(s, 1000), GWL_STYLE));
    log_splash_fit(s);

    DWORD_PTR res = 0;
    LRESULT ok = SendMessageTimeoutA(s, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &res);
    log_line("splash responsive=%d", ok ? 1 : 0);

    if (closesplash) {
        PostMessageA(s, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(s, WM_CLOSE, 0, 0);
        PostMessageA(s, WM_COMMAND, IDCANCEL, 0);
        Sleep(300);
        log_line("splash afterclose exists=%d visible=%d", IsWindow(s) ? 1 : 0, IsWindowVisible(s) ? 1 : 0);
    }
}

static void log_other_window(HWND h)
{
    char cls[256];
    if (!GetClassNameA(h, cls, sizeof cls))
        cls[0] = '\0';
    log_line("window style=%lx exstyle=%lx class=%s",
             (unsigned long)GetWindowLongA(h, GWL_STYLE),
             (unsigned long)GetWindowLongA(h, GWL_EXSTYLE), cls);
    g_text[0] = '\0';
    GetWindowTextA(h, g_text, sizeof g_text);
    log_line("window caption=%s", g_text);
}

static int window_gone(HWND h)
{
    return !IsWindow(h) || !IsWindowVisible(h);
}

/* ---- holding a window for its picture, refusing a session end ------- */

static char g_holddir[MAX_PATH];
static int g_holds;
static HWND g_refuser;
static int g_refused;

static LRESULT CALLBACK refuser_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_QUERYENDSESSION) {
        log_line("robot endsession refused");
        g_refused = 1;
        return FALSE;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

static void make_refuser(void)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = refuser_proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "RobotRefusesSessionEnd";
    RegisterClassA(&wc);
    /* Topmost, so that it is the first window that a session end asks. */
    g_refuser = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP,
                                0, 0, 1, 1, NULL, NULL, wc.hInstance, NULL);
}

/* Serves the robot's own window, if it has one. */
static void pump(void)
{
    MSG m;
    if (!g_refuser)
        return;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

/* With /hold: logs the hold and waits for <dir>\go<k>, at most until the
   robot's own time-out. */
static void hold(HWND h, DWORD timeout)
{
    char go[MAX_PATH + 32];
    if (!g_holddir[0])
        return;
    /* As the window of a program that the user has just started, it is the
       active one in its picture. */
    SetForegroundWindow(h);
    DWORD asked = GetTickCount();
    while (GetForegroundWindow() != h && GetTickCount() - asked < 500)
        Sleep(5);
    /* Once the window's thread has answered, it has handled its activation. */
    DWORD_PTR res = 0;
    SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &res);
    g_holds++;
    snprintf(go, sizeof go, "%s\\go%d", g_holddir, g_holds);
    log_line("robot hold n=%d", g_holds);
    while (GetFileAttributesA(go) == INVALID_FILE_ATTRIBUTES) {
        if (elapsed() >= timeout) {
            log_line("robot holdtimeout n=%d", g_holds);
            return;
        }
        pump();
        Sleep(5);
    }
}

/* ---- main ------------------------------------------------------------ */

static void usage_exit(const char *msg)
{
    log_line("robot usage msg=%s", msg);
    fprintf(stderr, "robot: %s\n", msg);
    fprintf(stderr, "usage: robot.exe /log=<file> /timeout=<ms> [/winver=<name>] [/answers=<a,b,...>]\n"
                    "       [/marker=<n>] [/markerraw=<type>:<hex>] [/nomarker] [/closesplash]\n"
                    "       [/args=<text>] [/cwd=<dir>] [/hold=<dir>] [/refuserestart] <program path>\n");
    ExitProcess(4);
}

static void log_cpu(HANDLE thread)
{
    FILETIME c, e, k, u;
    ULARGE_INTEGER ku, uu;
    ku.QuadPart = 0;
    uu.QuadPart = 0;
    if (GetThreadTimes(thread, &c, &e, &k, &u)) {
        ku.LowPart = k.dwLowDateTime;
        ku.HighPart = k.dwHighDateTime;
        uu.LowPart = u.dwLowDateTime;
        uu.HighPart = u.dwHighDateTime;
    }
    log_line("robot cpu user_ms=%lu kernel_ms=%lu",
             (unsigned long)(uu.QuadPart / 10000), (unsigned long)(ku.QuadPart / 10000));
}

int main(void)
{
    g_t0 = GetTickCount();

    /* Split our own command line into arguments. */
    static char argbuf[65536];
    char *argv[128];
    int argc = 0;
    size_t used = 0;
    const char *p = skip_program_name(GetCommandLineA());
    while (argc < 128 && used < sizeof argbuf) {
        if (!next_arg(&p, argbuf + used, sizeof argbuf - used))
            break;
        argv[argc++] = argbuf + used;
        used += strlen(argbuf + used) + 1;
    }

    DWORD timeout = 30000;
    const char *winver = NULL, *answers = "", *args = NULL, *cwd = NULL, *markerraw = NULL, *marker = NULL;
    int nomarker = 0, closesplash = 0, refuserestart = 0;

    /* /log first, so that later problems can be logged. */
    for (int i = 0; i < argc - 1; i++)
        if (starts_with(argv[i], "/log="))
            lstrcpynA(g_logpath, argv[i] + 5, sizeof g_logpath);
    if (argc < 1)
        usage_exit("no program given");
    const char *program = argv[argc - 1];
    g_program = program;
    for (int i = 0; i < argc - 1; i++) {
        const char *a = argv[i];
        if (starts_with(a, "/log="))
            ;
        else if (starts_with(a, "/timeout="))
            timeout = parse_u32(a + 9);
        else if (starts_with(a, "/winver="))
            winver = a + 8;
        else if (starts_with(a, "/answers="))
            answers = a + 9;
        else if (starts_with(a, "/marker="))
            marker = a + 8;
        else if (starts_with(a, "/markerraw="))
            markerraw = a + 11;
        else if (strcmp(a, "/nomarker") == 0)
            nomarker = 1;
        else if (strcmp(a, "/closesplash") == 0)
            closesplash = 1;
        else if (starts_with(a, "/args="))
            args = a + 6;
        else if (starts_with(a, "/cwd="))
            cwd = a + 5;
        else if (starts_with(a, "/hold="))
            lstrcpynA(g_holddir, a + 6, sizeof g_holddir);
        else if (strcmp(a, "/refuserestart") == 0)
            refuserestart = 1;
        else {
            static char msg[300];
            snprintf(msg, sizeof msg, "unknown option %.250s", a);
            usage_exit(msg);
        }
    }
    if (!g_logpath[0])
        usage_exit("no /log= given");
    if (program[0] == '/')
        usage_exit("last argument must be the program path");

    /* Answers list: comma separated words. */
    static char answerbuf[1024];
    char *answer[MAX_ANSWERS];
    int nanswers = 0, next_answer = 0;
    lstrcpynA(answerbuf, answers, sizeof answerbuf);
    for (char *w = answerbuf; *w && nanswers < MAX_ANSWERS;) {
        char *comma = strchr(w, ',');
        if (comma)
            *comma = '\0';
        if (strcmp(w, "ok") && strcmp(w, "cancel") && strcmp(w, "esc") && strcmp(w, "close") && strcmp(w, "none"))
            usage_exit("unknown answer word");
        answer[nanswers++] = w;
        if (!comma)
            break;
        w = comma + 1;
    }

    /* Registry set-up. */
    const char *exe_name = program;
    for (const char *q = program; *q; q++)
        if (*q == '\\' || *q == '/')
            exe_name = q + 1;
    set_winver(exe_name, winver);

    if (marker) {
        DWORD v = parse_u32(marker);
        set_marker(REG_DWORD, (const BYTE *)&v, sizeof v);
    } else if (markerraw) {
        BYTE raw[512];
        DWORD type, size;
        if (!parse_markerraw(markerraw, &type, raw, sizeof raw, &size))
            usage_exit("bad /markerraw value");
        set_marker(type, raw, size);
    } else if (nomarker) {
        delete_marker();
    }

    if (refuserestart)
        make_refuser();
    /* The pointer goes to the screen's corner, out of the pictures. */
    if (g_holddir[0])
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

    /* Start the program. */
    static char cmd[32768];
    if (args)
        snprintf(cmd, sizeof cmd, "\"%s\" %s", program, args);
    else
        snprintf(cmd, sizeof cmd, "\"%s\"", program);
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    memset(&pi, 0, sizeof pi);
    LARGE_INTEGER startCount, frequency;
    QueryPerformanceCounter(&startCount);
    QueryPerformanceFrequency(&frequency);
    if (!CreateProcessA(program, cmd, NULL, NULL, FALSE, 0, NULL, cwd, &si, &pi)) {
        log_line("robot startfailed err=%lu", (unsigned long)GetLastError());
        return 2;
    }
    g_pid = pi.dwProcessId;
    log_line("robot started pid=%lu us=%.0f", (unsigned long)g_pid,
             (double)startCount.QuadPart * 1e6 / (double)frequency.QuadPart);

    HWND box = NULL;      /* answered message box we wait to disappear */
    HWND splash = NULL;   /* splash being watched */
    int ended = 0;

    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            ended = 1;
            break;
        }
        if (elapsed() >= timeout)
            break;

        if (box && window_gone(box)) {
            log_line("msgbox gone");
            box = NULL;
        }
        if (splash && window_gone(splash)) {
            log_line("splash gone");
            splash = NULL;
        }

        g_nfound = 0;
        EnumWindows(collect_window, 0);
        for (int i = 0; i < g_nfound; i++) {
            HWND h = g_found[i];
            char cls[64];
            if (was_seen(h) || !IsWindow(h))
                continue;
            if (!GetClassNameA(h, cls, sizeof cls))
                cls[0] = '\0';
            int dialog = strcmp(cls, "#32770") == 0;
            if (dialog && child_by_id(h, 1000)) {
                if (splash)
                    continue;   /* handle it once the current one is gone */
                mark_seen(h);
                splash = h;
                log_splash(h, closesplash);
                hold(h, timeout);
            } else if (dialog && child_by_id(h, 0xFFFF)) {
                if (box)
                    continue;   /* one box at a time */
                mark_seen(h);
                box = h;
                log_msgbox(h);
                hold(h, timeout);
                answer_box(h, next_answer < nanswers ? answer[next_answer] : "ok");
                next_answer++;
            } else {
                mark_seen(h);
                log_other_window(h);
            }
        }
        pump();
        Sleep(10);
    }

    /* A restart that the program asked for as it ended reaches the session
       after it: stay to refuse it, until it came or 3 s have passed. */
    if (ended && g_refuser) {
        DWORD waited = GetTickCount();
        while (!g_refused && GetTickCount() - waited < 3000) {
            pump();
            Sleep(5);
        }
    }

    int rc;
    if (ended) {
        /* Windows of an ended program are gone. */
        if (box && window_gone(box))
            log_line("msgbox gone");
        if (splash && window_gone(splash))
            log_line("splash gone");
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        log_line("robot exit code=%lu", (unsigned long)code);
        rc = 0;
    } else {
        log_line("robot timeout");
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 2000);
        rc = 3;
    }
    log_cpu(pi.hThread);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    log_marker_state();
    if (g_refuser)
        DestroyWindow(g_refuser);
    return rc;
}
