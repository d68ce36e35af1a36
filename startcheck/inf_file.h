// start.inf as written: its bytes, and its sections and entries read from those
// bytes by the rules Windows documents for initialization files. Under Wine the
// profile functions forgive what Windows does not (a UTF-8 byte-order mark above
// all), so every text the checker shows comes from this reading, not from Wine's.
// The rules of that reading are in inf_rules.h.
#ifndef STARTCHECK_INF_FILE_H
#define STARTCHECK_INF_FILE_H

#include <string>
#include <vector>

#include "encoding.h"
#include "inf_rules.h"

struct InfFile {
    std::string path;      // full path of start.inf, in the checking system's code page
    std::string folder;    // the disc folder, with its trailing separator
    std::string bytes;     // the whole file
    FileEncoding encoding;
    // The text that the sections were read from: the bytes, or for a UTF-16 file
    // the text as UTF-8 (Windows 2000 and later read such a file as Unicode).
    std::string text;
    std::vector<InfSection> sections;  // in file order; a section written twice is here twice
    // The file that the profile functions read for the launch plan: start.inf
    // itself, or a copy that makes Wine read it as Windows does.
    std::string readPath;
    bool readPathIsCopy;
};

// Finds start.inf from the argument (the file, or the folder that holds it) and
// reads it. The argument is scanned character by character in the system's code
// page, as the launcher scans its own path, so a double-byte character whose
// second byte is 0x5C is not taken for a separator. False when it cannot be read;
// `file->path` then names what was tried.
bool LoadInfFile(const char* argument, InfFile* file);

// Deletes the copy that LoadInfFile may have made.
void ReleaseInfFile(InfFile* file);

// The first section of that name (case ignored), or NULL.
const InfSection* FindSection(const InfFile& file, const std::string& name);

// The first entry of that key in `section` (case ignored), or NULL.
const InfEntry* FindEntry(const InfSection* section, const std::string& key);

// The line of the first entry of `key` in the first section `section`, or of
// the section itself when the key is not written; 0 when neither is.
int LineOf(const InfFile& file, const std::string& section, const std::string& key = "");

// A text as the launcher looks it up: the key in `languageSection` when it has a
// non-empty value there, else the key in [Message], else `fallback`; cut to
// `size` - 1 bytes. `source` receives the section that gave the text ("" for the
// fallback).
std::string LookupText(const InfFile& file, const std::string& languageSection,
                       const std::string& key, const std::string& fallback, int size,
                       std::string* source);

#endif
