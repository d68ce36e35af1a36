/* Holds the name of the launcher's readiness event with another kind of object (a
 * mutex), so that the launcher cannot create the event. Usage: holdname.exe <ms>.
 * Logs "holdname holding ok=<0/1>" to the file named by STARTTEST_LOG. */
#include "helpers.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    HANDLE mutex;
    int milliseconds = atoi(commandLine);
    (void)instance;
    (void)previous;
    (void)show;
    if (milliseconds <= 0 || milliseconds > 60000)
        milliseconds = 20000;

    mutex = CreateMutexA(NULL, FALSE, "qvrplay_ready");
    log_line("holdname holding ok=%d", mutex != NULL);
    Sleep((DWORD)milliseconds);
    if (mutex != NULL)
        CloseHandle(mutex);
    return 0;
}
