// Which systems need the installers, version thresholds, installer program paths
// and the meaning of the DirectX Media installer's exit codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "prereq/prereq_rules.h"

namespace {

struct SystemCase {
    unsigned platform, major, minor;
    bool nt5OrLater, meOrLater;
};

// Platform 0 is Win32s; 3.95 counts as the 95/98/Me family at 4.90 or later.
const SystemCase kSystems[] = {
    {1, 4, 0, false, false},  {1, 4, 10, false, false}, {1, 4, 89, false, false},
    {1, 4, 90, false, true},  {1, 3, 95, false, true},  {1, 2, 95, false, false},
    {1, 5, 0, false, true},   {2, 4, 0, false, false},  {2, 5, 0, true, false},
    {2, 6, 1, true, false},   {0, 5, 0, false, false},  {0, 0, 0, false, false},
    {3, 10, 0, false, false}, {2, 0xFFFFFFFF, 0, true, false},
    {1, 0xFFFFFFFF, 0, false, true},
};

TEST(SystemProbes, FamilyAndVersionTable)
{
    for (const SystemCase& c : kSystems) {
        SCOPED_TRACE(::testing::Message() << c.platform << " " << c.major << "." << c.minor);
        EXPECT_EQ(c.nt5OrLater, IsNt5OrLaterVersion(c.platform, c.major, c.minor));
        EXPECT_EQ(c.meOrLater, IsMeOrLaterVersion(c.platform, c.major, c.minor));
    }
}

unsigned Word(unsigned high, unsigned low)
{
    return high << 16 | low;
}

long long Threshold(unsigned major, unsigned minor, unsigned build, unsigned revision)
{
    return static_cast<long long>(static_cast<unsigned long long>(Word(major, minor)) << 32 |
                                  Word(build, revision));
}

struct VersionCase {
    const char* name;
    unsigned ms, ls;
    long long threshold;
    bool atLeast;
};

const VersionCase kVersions[] = {
    {"equal", Word(4, 0), 0, kScriptEngineVersion, true},
    {"newer", Word(5, 6), 0, kScriptEngineVersion, true},
    {"older", Word(3, 1), 0, kScriptEngineVersion, false},
    {"one revision below", Word(3, 0xFFFF), Word(0xFFFF, 0xFFFF), kScriptEngineVersion, false},
    {"revision above", Word(4, 0), 1, kScriptEngineVersion, true},
    {"major 0x8000 is negative", Word(0x8000, 0), 0, kScriptEngineVersion, false},
    {"major 0xFFFF is negative", Word(0xFFFF, 0xFFFF), 0, kScriptEngineVersion, false},
    {"negative against negative", Word(0x8001, 0), 0, Threshold(0x8000, 0, 0, 0), true},
    {"build 0x8000 is unsigned", Word(4, 0), Word(0x8000, 0), Threshold(4, 0, 1, 0), true},
    {"build below a high threshold build", Word(4, 0), Word(1, 0), Threshold(4, 0, 0x8000, 0),
     false},
    {"private 0xFFFF", Word(4, 0), Word(0, 0xFFFF), Threshold(4, 0, 0, 0xFFFE), true},
};

TEST(FileVersion, SignedUpperHalfUnsignedLowerHalf)
{
    for (const VersionCase& c : kVersions)
        EXPECT_EQ(c.atLeast, IsVersionAtLeast(c.ms, c.ls, c.threshold)) << c.name;
}

struct ProgramCase {
    const char* command;
    const char* path;
};

const ProgramCase kPrograms[] = {
    {"D:\\dx\\setup.exe", "D:\\dx\\setup.exe"},
    {"D:\\dx\\setup.exe /q /r", "D:\\dx\\setup.exe"},
    {"D:\\My Disc\\setup.exe /q", "D:\\My"},
    {"\"D:\\dx\\setup.exe\" /q", "\"D:\\dx\\setup.exe\""},
    {" D:\\dx\\setup.exe", ""},
    {"D:\\dx\\setup.exe\t/q", "D:\\dx\\setup.exe\t/q"},
    {"", ""},
};

TEST(ProgramPath, CutAtTheFirstBlankTakenLiterally)
{
    for (const ProgramCase& c : kPrograms) {
        char path[260];
        EXPECT_TRUE(GetProgramPath(c.command, path, sizeof path)) << c.command;
        EXPECT_STREQ(c.path, path) << c.command;
    }
}

TEST(ProgramPath, BoundedByTheBuffer)
{
    std::string command(300, 'p');
    char path[260 + 4];
    memset(path, '#', sizeof path);
    EXPECT_FALSE(GetProgramPath(command.c_str(), path, 260));
    EXPECT_EQ(259u, strlen(path));
    EXPECT_EQ('#', path[260]);
}

struct OutcomeCase {
    bool known;
    unsigned code;
    bool marker;
    const char* key;
    bool restart;
    bool proceed;
};

const OutcomeCase kOutcomes[] = {
    {true, 0, true, "Success", false, true},
    {true, 3010, true, "SuccessAndRestart", true, false},
    {true, 1150, false, "NT4sp3", false, false},
    {true, 1321, false, "NotAdmin", false, false},
    {true, 0x80004005u, false, "Error", false, false},
    {true, 1, false, "UnknownError", false, true},
    {true, 0xFFFFFFFFu, false, "UnknownError", false, true},
    {true, 0x80004004u, false, "UnknownError", false, true},
    // Not started, or no exit code: a failure, never recorded as installed.
    {false, 0, false, "UnknownError", false, true},
    {false, 3010, false, "UnknownError", false, true},
};

TEST(DXMediaOutcome, ExitCodeTable)
{
    for (const OutcomeCase& c : kOutcomes) {
        SCOPED_TRACE(::testing::Message() << c.known << " " << c.code);
        DXMediaOutcome o = GetDXMediaOutcome(c.known, c.code);
        EXPECT_EQ(c.marker, o.writeMarker);
        EXPECT_STREQ(c.key, o.messageKey);
        EXPECT_EQ(c.restart, o.restart);
        EXPECT_EQ(c.proceed, o.proceed);
    }
}

}  // namespace
