#include "settings.h"

#include "../text.h"

namespace {

const char kMessageCaption[] = "Tarvello";
const char kMissingEntryCaption[] = "Bad start.inf file";

bool IsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

void GetSettingsPath(HINSTANCE module, char* settingsPath)
{
    char modulePath[kPathSize];
    settingsPath[0] = 0;
    // A result of kPathSize means the path was cut (without a terminating zero on
    // some systems); 0 means the call failed. Either way there is no settings file.
    DWORD length = GetModuleFileNameA(module, modulePath, kPathSize);
    if (length == 0 || length >= static_cast<DWORD>(kPathSize))
        return;
    modulePath[length] = 0;
    BuildSettingsPath(modulePath, IsLeadByte, settingsPath, kPathSize);
}

int ReadSettingText(const char* settingsPath, const char* section, const char* key,
                    const char* fallback, char* value, int size)
{
    // Windows 95 and 98 trim the default in place, so it must never be a string
    // literal in read-only memory: hand them a writable copy.
    char writableFallback[kTextSize];
    CopyText(writableFallback, sizeof writableFallback, fallback);
    if (settingsPath[0] == 0) {
        // Never pass an empty or relative name: the profile functions would then
        // read a file of that name in the Windows directory.
        CopyText(value, size, writableFallback);
        return TextLength(value);
    }
    return static_cast<int>(GetPrivateProfileStringA(
        section, key, writableFallback, value, static_cast<DWORD>(size), settingsPath));
}

int ReadSettingInt(const char* settingsPath, const char* section, const char* key,
                   int fallback)
{
    if (settingsPath[0] == 0)
        return fallback;
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, settingsPath));
}

void GetMessageSection(char* section)
{
    char abbreviation[6];
    ClearBytes(abbreviation, sizeof abbreviation);
    // The call's result is not needed: a failed query leaves the buffer zeroed and
    // the section is then "Message." alone.
    GetLocaleInfoA(GetUserDefaultLCID(), LOCALE_SABBREVLANGNAME, abbreviation,
                   sizeof abbreviation);
    abbreviation[sizeof abbreviation - 1] = 0;
    BuildMessageSection(abbreviation, section, kSectionSize);
}

void ReadTextInSections(const char* settingsPath, const char* languageSection,
                        const char* key, const char* messageFallback, char* text)
{
    if (ReadSettingText(settingsPath, languageSection, key, "", text, kTextSize) == 0)
        ReadSettingText(settingsPath, kMessageSection, key, messageFallback, text, kTextSize);
}

void ReadLocalizedText(const char* settingsPath, const char* key,
                       const char* messageFallback, char* text)
{
    char section[kSectionSize];
    GetMessageSection(section);
    ReadTextInSections(settingsPath, section, key, messageFallback, text);
}

int ShowMessage(HINSTANCE module, const char* key, UINT buttons)
{
    char settingsPath[kPathSize];
    char text[kTextSize];
    GetSettingsPath(module, settingsPath);
    ReadLocalizedText(settingsPath, key, "", text);
    if (text[0] != 0)
        return MessageBoxA(NULL, text, kMessageCaption, buttons);

    CopyText(text, sizeof text, "Missing entry '");
    AppendText(text, sizeof text, key);
    AppendText(text, sizeof text, "'");
    MessageBoxA(NULL, text, kMissingEntryCaption, MB_OK);
    return 0;
}
