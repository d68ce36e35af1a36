/* The reference for the launcher's wait in the benchmarks: a splash-like dialog
 * served by the plain polling loop (take the window's messages, then wait for the
 * readiness event for 1 millisecond, over and over) until the event is signalled.
 * It starts the command given on its command line as the player. */
#include <windows.h>

static INT_PTR CALLBACK Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)window;
    (void)wParam;
    (void)lParam;
    return message == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    /* A dialog template in memory: a captioned popup, no controls. */
    static WORD templ[32];
    DLGTEMPLATE* dialog = (DLGTEMPLATE*)templ;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    HANDLE ready;
    HWND window;
    MSG message;
    (void)previous;
    (void)show;

    dialog->style = WS_POPUP | WS_CAPTION | DS_CENTER;
    dialog->cx = 187;
    dialog->cy = 55;
    window = CreateDialogIndirectParamA(instance, dialog, NULL, Quiet, 0);
    ShowWindow(window, SW_SHOWNORMAL);
    ready = CreateEventA(NULL, FALSE, FALSE, "qvrplay_ready");
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (;;) {
        while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (WaitForSingleObject(ready, 1) == WAIT_OBJECT_0)
            break;
    }
    CloseHandle(ready);
    DestroyWindow(window);
    return 0;
}
