// Encodings and code pages. Windows reads start.inf byte for byte in the ANSI
// code page of the user who reads it; the profile functions recognise only a
// UTF-16 LE byte-order mark, and only from Windows 2000 on. What a user sees is
// therefore decided here from the file's bytes and the reader's code page, with
// the system's own conversion functions.
#ifndef STARTCHECK_ENCODING_H
#define STARTCHECK_ENCODING_H

#include <string>

enum FileEncoding {
    kEncodingAnsi,     // no byte-order mark: read in the reader's code page
    kEncodingUtf8Bom,  // EF BB BF: Windows takes the three bytes as text of line 1
    kEncodingUtf16Le,  // FF FE: Unicode from Windows 2000 on; nothing before
    kEncodingUtf16Be,  // FE FF: read by no Windows
};

FileEncoding DetectEncoding(const std::string& bytes);

// The text of a UTF-16 file (either byte order, mark dropped) as UTF-8.
std::string Utf16ToUtf8(const std::string& bytes);

// True when `text` is valid UTF-8 and holds at least one multi-byte sequence:
// text saved as UTF-8 by an editor, which a single-byte code page shows as
// two or three characters per letter.
bool LooksLikeUtf8(const std::string& text);

bool HasNonAscii(const std::string& text);

// Decodes `bytes` as the code page shows them and writes the result as UTF-8.
// False when a byte sequence is invalid in that code page (the text is then
// decoded with the system's replacement characters).
bool DecodeCodePage(const std::string& bytes, unsigned codePage, std::string* utf8);

// UTF-8 text as a user of `codePage` gets it from a Unicode file: characters the
// code page lacks become its default character. False when any did.
bool ConvertUnicodeForCodePage(const std::string& utf8, unsigned codePage, std::string* shown);

// Text in the checking system's own code page (paths, the launch plan) as UTF-8.
std::string FromSystemCodePage(const std::string& bytes);

// Reports the findings that the file's bytes alone decide: a byte-order mark,
// UTF-16, NUL bytes, a file that is not text, an empty file.
struct InfFile;
void CheckFileEncoding(const InfFile& file);

#endif
