/* A small sample presentation player.
 *
 * It stands in for a real player on the sample disc: it takes a moment to "load"
 * (so that the launcher's splash can be seen), shows its window, and once the
 * window has been drawn it signals the launcher's readiness event
 * "qvrplay_ready". That signal is all a player owes the launcher:
 *
 *     HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "qvrplay_ready");
 *     if (ready != NULL) { SetEvent(ready); CloseHandle(ready); }
 *
 * Its command line (what the launcher expanded from start.inf's "open") is shown
 * in the window. */
#include <windows.h>

#define LOAD_TIMER 1
#define LOAD_MILLISECONDS 2500

static char g_commandLine[1024];
static BOOL g_signalled = FALSE;

static void SignalReady(void)
{
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "qvrplay_ready");
    if (ready != NULL) {
        SetEvent(ready);
        CloseHandle(ready);
    }
}

static LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        KillTimer(window, LOAD_TIMER);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        RECT area;
        HDC dc = BeginPaint(window, &paint);
        GetClientRect(window, &area);
        InflateRect(&area, -16, -16);
        DrawTextA(dc, "Sample presentation\n\nStarted as:", -1, &area, DT_LEFT | DT_WORDBREAK);
        area.top += 60;
        DrawTextA(dc, g_commandLine, -1, &area, DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &paint);
        /* Drawn: now the launcher may take its splash down. */
        if (!g_signalled) {
            g_signalled = TRUE;
            SignalReady();
        }
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    WNDCLASSA windowClass;
    MSG message;
    HWND window;
    (void)previous;
    (void)commandLine;
    (void)show;

    lstrcpynA(g_commandLine, GetCommandLineA(), sizeof g_commandLine);
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = PlayerProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "SamplePlayer";
    RegisterClassA(&windowClass);
    window = CreateWindowA("SamplePlayer", "Sample presentation", WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, 560, 320, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    /* Pretend to load for a moment before the window is shown. */
    SetTimer(window, LOAD_TIMER, LOAD_MILLISECONDS, NULL);
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
