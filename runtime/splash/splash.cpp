#include "splash.h"

#include "../settings/settings.h"

namespace {

// The splash text lives for the whole run: it is filled before the window is
// created and read while the window is being initialised.
char g_splashText[kTextSize];

INT_PTR CALLBACK SplashDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(window, IDC_SPLASH_TEXT, g_splashText);
        return TRUE;
    }
    // Everything else, close requests included, is left to the default dialog
    // handling: nothing the user does closes the splash.
    return FALSE;
}

}  // namespace

HWND CreateSplash(HINSTANCE module)
{
    char settingsPath[kPathSize];
    GetSettingsPath(module, settingsPath);
    if (ReadSettingInt(settingsPath, "start", "splash", 1) == 0)
        return NULL;
    ReadLocalizedText(settingsPath, "splashtext", "Please Wait...", g_splashText);

    HWND window = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_SPLASH), NULL,
                                     SplashDialogProc, 0);
    if (window == NULL)
        return NULL;
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}
