#include "launch.h"

#include "../prereq/steps.h"
#include "../splash/splash.h"

namespace {

// Every kind of input of Windows 95 and NT 4.0. The newer QS_ALLINPUT of the
// headers carries QS_RAWINPUT, which makes the wait fail at once on systems
// before XP.
const DWORD kAnyInput = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE |
                        QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

// Serves the splash until the player signals the readiness event or ends.
// The thread sleeps until the event, the end of the player or a message wakes
// it. All of the thread's messages are taken off the queue: a message left
// behind by a window filter would keep waking the wait and turn it into a spin.
void WaitForPlayer(HANDLE readyEvent, HANDLE player)
{
    HANDLE objects[2] = {readyEvent, player};
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // The event comes first, so a signal given before the player ended wins.
        DWORD woken = MsgWaitForMultipleObjects(2, objects, FALSE, INFINITE, kAnyInput);
        if (woken != WAIT_OBJECT_0 + 2)
            return;
    }
}

}  // namespace

int RunLaunch(HINSTANCE module)
{
    if (!RunDirectXStep(module))
        return 1;
    if (!RunDXMediaStep(module))
        return 1;
    if (!RunScriptStep(module))
        return 1;

    HWND splash = CreateSplash(module);
    // Created before the player starts, so that a signal given before the first
    // wait stays in the event. An existing event of that name is used alike.
    HANDLE readyEvent = CreateEventA(NULL, FALSE, FALSE, kReadyEventName);
    HANDLE player = StartPresentation(module);

    // Nothing can signal when nothing was started or there is no event: waiting
    // then would keep the splash up for ever.
    if (splash != NULL && readyEvent != NULL && player != NULL)
        WaitForPlayer(readyEvent, player);

    if (player != NULL)
        CloseHandle(player);
    if (readyEvent != NULL)
        CloseHandle(readyEvent);
    if (splash != NULL)
        DestroyWindow(splash);
    return 0;
}
