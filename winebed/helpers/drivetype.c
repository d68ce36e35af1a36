/*
 * drivetype.exe - tells how Windows sees a drive.
 *
 * Usage: drivetype.exe <root>      for example  drivetype.exe D:\
 * Exit code: GetDriveTypeA(<root>), e.g. 3 fixed, 5 CD-ROM, 1 no such drive.
 */
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR lpCmd, int nShow)
{
    (void)hInst;
    (void)hPrev;
    (void)nShow;
    while (*lpCmd == ' ')
        lpCmd++;
    return (int)GetDriveTypeA(lpCmd);
}
