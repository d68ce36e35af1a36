// Encodings and code pages. Windows reads start.inf byte for byte in the ANSI
// code page of the user who reads it; the profile functions recognise only a
// UTF-16 LE byte-order mark, and only from Windows 2000 on. What a user sees is
// therefore decided here from the file's bytes and the reader's code page, with
// the system's own conversion functions.
#ifndef STARTCHECK_ENCODING_H
#define STARTCHECK_ENCODING_H

#include <string>

#include "inf_rules.h"

// The text of a UTF-16 file (either byte order, mark dropped) as UTF-8.
std::string Utf16ToUtf8(const std::string& bytes);

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
