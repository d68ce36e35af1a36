// Expansion of the presentation command with the launcher's folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "launch/command_rules.h"

namespace {

struct ExpandCase {
    const char* format;
    const char* directory;
    const char* expected;
};

const ExpandCase kCases[] = {
    {"player.exe show.dat", "C:\\Pres\\", "player.exe show.dat"},
    {"%splayer.exe", "C:\\Pres\\", "C:\\Pres\\player.exe"},
    {"%splayer.exe %sshow.dat", "D:\\", "D:\\player.exe D:\\show.dat"},
    {"p %s|%s|%s|%s|%s", "X\\", "p X\\|X\\|X\\|X\\|X\\"},
    {"\"%splayer.exe\" /a", "C:\\My Pres\\", "\"C:\\My Pres\\player.exe\" /a"},
    {"100%% sure", "C:\\", "100% sure"},
    {"%%s stays", "C:\\", "%s stays"},
    {"%n %d %x %S %1", "C:\\", "%n %d %x %S %1"},
    {"ends in %", "C:\\", "ends in %"},
    {"%", "C:\\", "%"},
    {"%%%s", "C:\\", "%C:\\"},
    {"", "C:\\", ""},
};

TEST(ExpandCommand, ConversionsAndPlainText)
{
    for (const ExpandCase& c : kCases) {
        char command[kCommandSize];
        EXPECT_TRUE(ExpandCommand(c.format, c.directory, command, sizeof command)) << c.format;
        EXPECT_STREQ(c.expected, command) << c.format;
    }
}

TEST(ExpandCommand, CutAtTheBufferLessOne)
{
    std::string directory = "C:\\" + std::string(240, 'd') + "\\";  // 244 bytes
    char command[kCommandSize + 8];
    memset(command, '#', sizeof command);

    // Two folders (488 bytes) and 23 more fit in 511 bytes.
    std::string fits = "%s%s" + std::string(23, 'x');
    EXPECT_TRUE(ExpandCommand(fits.c_str(), directory.c_str(), command, kCommandSize));
    EXPECT_EQ(511u, strlen(command));

    // One byte more is cut, and the zero stays inside the buffer.
    std::string over = "%s%s" + std::string(24, 'x');
    EXPECT_FALSE(ExpandCommand(over.c_str(), directory.c_str(), command, kCommandSize));
    EXPECT_EQ(511u, strlen(command));
    EXPECT_EQ('#', command[kCommandSize]);

    // Five folders: cut in the third.
    EXPECT_FALSE(ExpandCommand("%s%s%s%s%s", directory.c_str(), command, kCommandSize));
    EXPECT_EQ(directory + directory + directory.substr(0, 511 - 488), std::string(command));
    for (int i = kCommandSize; i < kCommandSize + 8; ++i)
        EXPECT_EQ('#', command[i]);
}

TEST(ExpandCommand, TinyBuffers)
{
    char command[4] = {'#', '#', '#', '#'};
    EXPECT_FALSE(ExpandCommand("%s", "C:\\", command, 1));
    EXPECT_EQ(0, command[0]);
    EXPECT_EQ('#', command[1]);
    EXPECT_FALSE(ExpandCommand("abc", "", command, 0));
    EXPECT_EQ(0, command[0]);
}

}  // namespace
