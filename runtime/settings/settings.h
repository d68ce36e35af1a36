// The settings file start.inf beside the launcher, and the localized message boxes
// whose texts it holds.
#ifndef START_SETTINGS_H
#define START_SETTINGS_H

#include <windows.h>

#include "settings_rules.h"

// Size of a message or splash text buffer, the terminating zero included.
const int kTextSize = 256;

// Fills `settingsPath` (kPathSize bytes) with the full path of start.inf beside the
// launcher. When that path cannot be known or does not fit, the buffer is left
// empty, and every lookup below then yields its default without reading any file.
void GetSettingsPath(HINSTANCE module, char* settingsPath);

// Reads a text value of start.inf into `value` (of `size` bytes), cut to size - 1
// bytes; an absent file, section or key yields `fallback`. Returns the number of
// bytes placed in `value`: 0 for an absent key and for an empty value alike.
int ReadSettingText(const char* settingsPath, const char* section, const char* key,
                    const char* fallback, char* value, int size);

// Reads a decimal integer value of start.inf; absent yields `fallback`.
int ReadSettingInt(const char* settingsPath, const char* section, const char* key,
                   int fallback);

// Writes the name of the user's language section, "Message." and the two-letter
// language code (for example Message.EN), into `section` (kSectionSize bytes).
void GetMessageSection(char* section);

// Reads `key` from `languageSection` and, when that yields nothing (an empty
// value counts as none), from [Message] with `messageFallback` as the default.
// The result goes into `text` (kTextSize bytes).
void ReadTextInSections(const char* settingsPath, const char* languageSection,
                        const char* key, const char* messageFallback, char* text);

// ReadTextInSections with the user's language section.
void ReadLocalizedText(const char* settingsPath, const char* key,
                       const char* messageFallback, char* text);

// The launcher's fallback section of the message texts.
const char kMessageSection[] = "Message";

// Shows the text of a message key in a box captioned "Tarvello" with `buttons`
// (MB_OK or MB_OKCANCEL) and returns the user's answer. When neither message
// section has a text for the key, shows the missing-entry box instead and
// returns 0.
int ShowMessage(HINSTANCE module, const char* key, UINT buttons);

#endif
