#include "settings_rules.h"

#include "../text.h"

bool BuildSettingsPath(const char* modulePath, IsLeadByteFunction isLeadByte,
                       char* settingsPath, int size)
{
    if (size > 0)
        settingsPath[0] = 0;

    // End of the directory: just after the last separator, or 0 for none.
    int directoryEnd = 0;
    int at = (modulePath[0] != 0 && modulePath[1] == ':') ? 2 : 0;
    while (modulePath[at] != 0) {
        unsigned char byte = static_cast<unsigned char>(modulePath[at]);
        if (byte == '\\' || byte == '/') {
            directoryEnd = at + 1;
            ++at;
        } else if (isLeadByte(byte) && modulePath[at + 1] != 0) {
            at += 2;
        } else {
            ++at;
        }
    }
    if (directoryEnd == 0)
        return false;

    const int fileNameLength = sizeof kSettingsFileName - 1;
    if (directoryEnd + fileNameLength + 1 > size)
        return false;
    for (int i = 0; i < directoryEnd; ++i)
        settingsPath[i] = modulePath[i];
    settingsPath[directoryEnd] = 0;
    AppendText(settingsPath, size, kSettingsFileName);
    return true;
}

void BuildMessageSection(const char* abbreviation, char* section, int size)
{
    char code[3];
    code[0] = abbreviation[0];
    code[1] = code[0] != 0 ? abbreviation[1] : 0;
    code[2] = 0;
    CopyText(section, size, "Message.");
    AppendText(section, size, code);
}
