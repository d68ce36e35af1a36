// Where start.inf is looked for, and which language section a user gets.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_rules.h"

namespace {

// Lead bytes of code page 932 (Japanese): 0x81-0x9F and 0xE0-0xFC. Their trail
// bytes include 0x5C, the backslash.
bool IsLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool NoLeadBytes(unsigned char)
{
    return false;
}

struct PathCase {
    const char* name;
    std::string modulePath;
    IsLeadByteFunction isLeadByte;
    bool built;
    std::string settingsPath;
};

const std::string kTable = "\x95\x5C";  // a kanji whose trail byte is '\'

const PathCase kPathCases[] = {
    {"plain folder", "C:\\Pres\\Start.exe", NoLeadBytes, true, "C:\\Pres\\start.inf"},
    {"drive root", "D:\\Start.exe", NoLeadBytes, true, "D:\\start.inf"},
    {"network share has no drive", "\\\\server\\share\\disc\\Start.exe", NoLeadBytes, true,
     "\\\\server\\share\\disc\\start.inf"},
    {"slashes separate too", "C:/Pres/Start.exe", NoLeadBytes, true, "C:/Pres/start.inf"},
    {"last of mixed separators", "C:\\Pres/sub\\Start.exe", NoLeadBytes, true,
     "C:\\Pres/sub\\start.inf"},
    {"blanks kept as they are", "C:\\My Pres\\Start.exe", NoLeadBytes, true,
     "C:\\My Pres\\start.inf"},
    {"bare name has no folder", "Start.exe", NoLeadBytes, false, ""},
    {"drive-relative name has no folder", "C:Start.exe", NoLeadBytes, false, ""},
    {"empty module path", "", NoLeadBytes, false, ""},
    {"kanji folder: trail byte is no separator", "C:\\" + kTable + "\\Start.exe",
     IsLeadByte932, true, "C:\\" + kTable + "\\start.inf"},
    {"kanji ending the file name's folder", "C:\\Pres\\" + kTable + "Start.exe", IsLeadByte932,
     true, "C:\\Pres\\start.inf"},
    {"same bytes in a single-byte code page", "C:\\Pres\\" + kTable + "Start.exe", NoLeadBytes,
     true, "C:\\Pres\\\x95\\start.inf"},
    {"lead byte cut at the end", "C:\\Pres\\x\x95", IsLeadByte932, true, "C:\\Pres\\start.inf"},
};

TEST(SettingsPath, BuildsPathBesideTheLauncher)
{
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.name);
        char settingsPath[kPathSize];
        settingsPath[0] = 'x';
        EXPECT_EQ(c.built, BuildSettingsPath(c.modulePath.c_str(), c.isLeadByte, settingsPath,
                                             sizeof settingsPath));
        EXPECT_EQ(c.settingsPath, std::string(settingsPath));
    }
}

// The folder and "start.inf" must fit in 259 bytes; one byte more and there is
// no settings file at all, rather than a cut path naming some other file.
TEST(SettingsPath, LongestFolderThatFits)
{
    for (int folderLength = 245; folderLength <= 255; ++folderLength) {
        std::string folder = "C:\\" + std::string(folderLength - 4, 'd') + "\\";
        ASSERT_EQ(static_cast<size_t>(folderLength), folder.size());
        std::string modulePath = folder + "S.exe";
        char settingsPath[kPathSize];
        bool fits = folderLength + 9 <= kPathSize - 1;
        EXPECT_EQ(fits, BuildSettingsPath(modulePath.c_str(), NoLeadBytes, settingsPath,
                                          sizeof settingsPath))
            << folderLength;
        EXPECT_EQ(fits ? folder + "start.inf" : std::string(), std::string(settingsPath));
    }
}

TEST(SettingsPath, NeverWritesPastASmallBuffer)
{
    char buffer[16 + 4];
    memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(BuildSettingsPath("C:\\Presentation\\Start.exe", NoLeadBytes, buffer, 16));
    EXPECT_EQ(0, buffer[0]);
    for (int i = 16; i < 20; ++i)
        EXPECT_EQ('#', buffer[i]);
}

struct SectionCase {
    const char* abbreviation;
    const char* section;
};

// The language code is the first two characters of the abbreviated language
// name, as Windows gives it: not always the ISO code (JP, CH).
const SectionCase kSectionCases[] = {
    {"ENU", "Message.EN"}, {"ENG", "Message.EN"}, {"DEU", "Message.DE"},
    {"FRA", "Message.FR"}, {"ESN", "Message.ES"}, {"ESP", "Message.ES"},
    {"PTB", "Message.PT"}, {"JPN", "Message.JP"}, {"CHS", "Message.CH"},
    {"CHT", "Message.CH"}, {"E", "Message.E"},    {"", "Message."},
};

TEST(MessageSection, FirstTwoLettersOfTheAbbreviatedName)
{
    for (const SectionCase& c : kSectionCases) {
        char section[kSectionSize];
        memset(section, '#', sizeof section);
        BuildMessageSection(c.abbreviation, section, sizeof section);
        EXPECT_STREQ(c.section, section) << c.abbreviation;
    }
}

}  // namespace
