// Pure rules of the settings file: where start.inf is, and the name of the
// language section of the message texts. No Win32 calls, so the host tests can
// drive them with any input.
#ifndef START_SETTINGS_RULES_H
#define START_SETTINGS_RULES_H

// Size of every path buffer (MAX_PATH), the terminating zero included.
const int kPathSize = 260;
// Size of the buffer of a language section's name.
const int kSectionSize = 32;
// The settings file's name, beside the launcher's executable.
const char kSettingsFileName[] = "start.inf";

// Tells whether a byte is the first byte of a double-byte character in the
// system's ANSI code page.
typedef bool (*IsLeadByteFunction)(unsigned char byte);

// Builds "<drive><directory>start.inf" from the full path of the launcher's
// executable into `settingsPath` (of `size` bytes).
//
// The drive is the first two bytes when the second one is ':'. The directory runs
// up to and including the last '\' or '/'; the scan passes over double-byte
// characters whole, so a trail byte of 0x5C is not taken for a separator.
//
// Returns false, and leaves `settingsPath` empty, when the module path has no
// directory (a bare or drive-relative name would make the profile functions look
// elsewhere) or when the result would not fit into `size` bytes.
bool BuildSettingsPath(const char* modulePath, IsLeadByteFunction isLeadByte,
                       char* settingsPath, int size);

// Writes "Message." followed by at most the first two characters of `abbreviation`
// (the three-letter abbreviated language name of the user's locale, or less when
// the locale query wrote less) into `section` (of `size` bytes).
void BuildMessageSection(const char* abbreviation, char* section, int size);

#endif
