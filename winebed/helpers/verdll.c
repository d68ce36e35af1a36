/*
 * verdll.dll - an empty DLL that exists only to carry a version resource
 * (see verdll.rc).  Tests place builds of it where the launcher looks up
 * file versions.
 */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID reserved)
{
    (void)inst;
    (void)reason;
    (void)reserved;
    return TRUE;
}
