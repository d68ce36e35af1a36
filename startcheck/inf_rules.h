// Pure rules of reading start.inf as Windows reads it: the byte-order marks,
// UTF-8 detection, and the sections and entries of the text. No Win32 calls, so
// the host tests can drive them with any bytes.
//
// The rules of the text: a line ends at LF (a CR before it is dropped); blanks
// around a line, a name or a value are not part of it; a line that begins with
// ';' is a comment (a ';' later in the line is part of the value); "[name]"
// begins a section, and a header without its closing bracket begins none;
// "key=value" is an entry; names match without regard to case; of two sections
// or two keys of one name, the first is the one read; a value wholly enclosed in
// matching double or single quotation marks loses them when it is read. A
// byte-order mark is no mark to Windows' reader of such files (only UTF-16 LE's
// is, from Windows 2000 on): its bytes are text of line 1.
#ifndef STARTCHECK_INF_RULES_H
#define STARTCHECK_INF_RULES_H

#include <string>
#include <vector>

enum FileEncoding {
    kEncodingAnsi,     // no byte-order mark: read in the reader's code page
    kEncodingUtf8Bom,  // EF BB BF: Windows takes the three bytes as text of line 1
    kEncodingUtf16Le,  // FF FE: Unicode from Windows 2000 on; nothing before
    kEncodingUtf16Be,  // FE FF: read by no Windows
};

FileEncoding DetectEncoding(const std::string& bytes);

// True when the file holds nothing but blanks, line ends and end-of-file marks.
bool IsBlankText(const std::string& bytes);

// True when `text` is valid UTF-8 and holds at least one multi-byte sequence:
// text saved as UTF-8 by an editor, which a single-byte code page shows as
// two or three characters per letter.
bool LooksLikeUtf8(const std::string& text);

bool HasNonAscii(const std::string& text);

struct InfEntry {
    std::string key;
    std::string value;  // as written, blanks trimmed, quotation marks kept
    int line;
};

struct InfSection {
    std::string name;  // as written
    int line;
    std::vector<InfEntry> entries;
};

// The sections in file order; a section written twice is here twice.
std::vector<InfSection> ParseSections(const std::string& text);

// True when the written value is wholly enclosed in matching quotation marks.
bool IsWhollyQuoted(const std::string& written);

// A value as the profile functions return it: without the quotation marks that
// wholly enclose it.
std::string ValueAsRead(const std::string& written);

// ASCII letters in upper case, every other byte as it is.
std::string Upper(std::string text);

#endif
