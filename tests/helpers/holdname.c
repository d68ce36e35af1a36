/* Holds the name of the launcher's readiness event with another kind of object (a
 * mutex), so that the launcher cannot create the event. Usage: holdname.exe <ms>.
 * Logs "holdname holding ok=<0/1>" to the file named by STARTTEST_LOG. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH];
    char line[64];
    DWORD written;
    HANDLE mutex;
    HANDLE log;
    int milliseconds = atoi(commandLine);
    (void)instance;
    (void)previous;
    (void)show;
    if (milliseconds <= 0 || milliseconds > 60000)
        milliseconds = 20000;

    mutex = CreateMutexA(NULL, FALSE, "qvrplay_ready");
    if (GetEnvironmentVariableA("STARTTEST_LOG", path, sizeof path) > 0) {
        log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE) {
            snprintf(line, sizeof line, "holdname holding ok=%d\r\n", mutex != NULL);
            WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
            CloseHandle(log);
        }
    }
    Sleep((DWORD)milliseconds);
    if (mutex != NULL)
        CloseHandle(mutex);
    return 0;
}
