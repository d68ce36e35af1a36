// How the checker reads start.inf's bytes as Windows does: sections and entries,
// byte-order marks and UTF-8 detection, down to truncated sequences at the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inf_rules.h"

namespace {

// Sections and entries flattened to "[name]@line" and "key=value@line".
std::vector<std::string> Flatten(const std::string& text)
{
    std::vector<std::string> out;
    for (const InfSection& s : ParseSections(text)) {
        out.push_back("[" + s.name + "]@" + std::to_string(s.line));
        for (const InfEntry& e : s.entries)
            out.push_back(e.key + "=" + e.value + "@" + std::to_string(e.line));
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<std::string> read;
};

const ParseCase kParseCases[] = {
    {"CRLF and blanks around names and values", "[ Start ]\r\n  open = %sp.exe  \r\n",
     {"[Start]@1", "open=%sp.exe@2"}},
    {"only a semicolon at the start of a line is a comment",
     ";open=a\r\n[Start]\r\n  ;x=1\r\nopen=p.exe ; the show\r\n#y=2\r\n",
     {"[Start]@2", "open=p.exe ; the show@4", "#y=2@5"}},
    {"a byte-order mark is text of line 1", "\xEF\xBB\xBF[Start]\r\nopen=a\r\n[Message]\r\nk=v\r\n",
     {"[Message]@3", "k=v@4"}},
    {"entries before any section belong to none", "open=a\r\n[Start]\r\n", {"[Start]@2"}},
    {"a header without its bracket begins no section", "[Start]\r\na=1\r\n[Message\r\nb=2\r\n",
     {"[Start]@1", "a=1@2", "b=2@4"}},
    {"lines without '=' are no entries", "[Start]\r\nopen\r\n=x\r\n", {"[Start]@1", "=x@3"}},
    {"a value may hold '=' and ']'", "[S]\r\nk=a=b]\r\n", {"[S]@1", "k=a=b]@2"}},
    {"no line end after the last line", "[S]\r\nk=v", {"[S]@1", "k=v@2"}},
    {"empty text", "", {}},
};

TEST(InfRules, SectionsAndEntriesAsWindowsReadsThem)
{
    for (const ParseCase& c : kParseCases)
        EXPECT_EQ(c.read, Flatten(c.text)) << c.name;
}

TEST(InfRules, ByteOrderMarks)
{
    EXPECT_EQ(kEncodingUtf8Bom, DetectEncoding("\xEF\xBB\xBF[Start]"));
    EXPECT_EQ(kEncodingUtf16Le, DetectEncoding(std::string("\xFF\xFE[\0", 4)));
    EXPECT_EQ(kEncodingUtf16Be, DetectEncoding(std::string("\xFE\xFF\0[", 4)));
    EXPECT_EQ(kEncodingAnsi, DetectEncoding("\xEF\xBB"));  // cut short: no mark
    EXPECT_EQ(kEncodingAnsi, DetectEncoding(""));
}

struct Utf8Case {
    const char* name;
    std::string text;
    bool utf8;
};

const Utf8Case kUtf8Cases[] = {
    {"ASCII alone is not UTF-8 text", "Please Wait...", false},
    {"German in UTF-8", "Bitte w\xC3\xA4hlen", true},
    {"German in code page 1252", "Bitte w\xE4hlen", false},
    {"Japanese in UTF-8 (three bytes)", "\xE3\x81\x8A\xE5\xBE\x85", true},
    {"Japanese in code page 932", "\x82\xA8\x91\xD2\x82\xBF", false},
    {"four-byte sequence", "\xF0\x9F\x98\x80", true},
    {"two-byte sequence cut at the end", "w\xC3", false},
    {"three-byte sequence cut at the end", "\xE3\x81", false},
    {"overlong form of an ASCII letter", "\xC1\x81", false},
    {"continuation byte alone", "\x80", false},
};

TEST(InfRules, Utf8Detection)
{
    for (const Utf8Case& c : kUtf8Cases)
        EXPECT_EQ(c.utf8, LooksLikeUtf8(c.text)) << c.name;
}

TEST(InfRules, QuotesAroundTheWholeValue)
{
    EXPECT_EQ("%sp.exe x", ValueAsRead("\"%sp.exe x\""));
    EXPECT_EQ("%sp.exe x", ValueAsRead("'%sp.exe x'"));
    EXPECT_EQ("\"%sp.exe\" x", ValueAsRead("\"%sp.exe\" x"));
    EXPECT_EQ("'a\"", ValueAsRead("'a\""));  // not matching
    EXPECT_EQ("\"", ValueAsRead("\""));      // one mark alone
    EXPECT_EQ("", ValueAsRead("''"));
}

}  // namespace
