/*
 * marker.exe - stands for a program of a disc that must never be started (by
 * the storyboard, say). When it is started anyway it appends its own path and
 * command line to <Windows directory>\temp\disc-program-started.log and ends.
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH + 64], self[MAX_PATH];
    static char line[MAX_PATH + 33000];
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    lstrcatA(path, "\\temp\\disc-program-started.log");
    DWORD m = GetModuleFileNameA(NULL, self, sizeof self);
    if (m == 0 || m >= sizeof self)
        self[0] = '\0';
    int len = snprintf(line, sizeof line, "%s %s\r\n", self, GetCommandLineA());
    if (len < 0)
        return 1;
    if (len >= (int)sizeof line)
        len = (int)sizeof line - 1;
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(h, line, (DWORD)len, &written, NULL);
        CloseHandle(h);
    }
    return 0;
}
