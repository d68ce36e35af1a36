#include "inf_file.h"

#include <windows.h>

#include <cstdio>

#include "settings/settings.h"

namespace {

bool ReadBytes(const std::string& path, std::string* bytes)
{
    FILE* stream = fopen(path.c_str(), "rb");
    if (stream == NULL)
        return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0)
        bytes->append(chunk, got);
    fclose(stream);
    return true;
}

// Whether the byte at `at` of `path` begins a double-byte character of the
// system's code page, with its second byte present.
bool IsLeadAt(const std::string& path, size_t at)
{
    return IsDBCSLeadByte(static_cast<unsigned char>(path[at])) && at + 1 < path.size();
}

// The length of the folder part of `path`: up to and including its last
// separator, scanned by character. 0 when it has none.
size_t FolderLength(const std::string& path)
{
    size_t length = 0;
    for (size_t at = 0; at < path.size();) {
        if (path[at] == '\\' || path[at] == '/') {
            length = ++at;
        } else {
            at += IsLeadAt(path, at) ? 2 : 1;
        }
    }
    return length;
}

// A copy of the file that Wine's profile functions read as Windows reads the
// original: Wine honours a UTF-8 byte-order mark, Windows takes its three bytes
// as part of line 1. With an empty line in front, the mark is no longer at the
// start of the file, and Wine reads those bytes as text too.
bool WriteWindowsView(InfFile* file)
{
    char folder[MAX_PATH];
    char name[MAX_PATH];
    if (GetTempPathA(sizeof folder, folder) == 0 ||
        GetTempFileNameA(folder, "sck", 0, name) == 0)
        return false;
    FILE* stream = fopen(name, "wb");
    if (stream == NULL)
        return false;
    bool written = fwrite("\r\n", 1, 2, stream) == 2 &&
                   fwrite(file->bytes.data(), 1, file->bytes.size(), stream) == file->bytes.size();
    fclose(stream);
    if (!written) {
        DeleteFileA(name);
        return false;
    }
    file->readPath = name;
    file->readPathIsCopy = true;
    return true;
}

}  // namespace

bool LoadInfFile(const char* argument, InfFile* file)
{
    char full[MAX_PATH];
    char* name = NULL;
    file->readPathIsCopy = false;
    file->encoding = kEncodingAnsi;
    if (GetFullPathNameA(argument, sizeof full, full, &name) == 0)
        return false;
    std::string path = full;
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (FolderLength(path) != path.size())
            path += '\\';
        path += kSettingsFileName;
    }
    file->path = path;
    file->folder = path.substr(0, FolderLength(path));
    file->readPath = path;
    if (!ReadBytes(path, &file->bytes))
        return false;
    file->encoding = DetectEncoding(file->bytes);
    file->text = file->encoding == kEncodingUtf16Le || file->encoding == kEncodingUtf16Be
                     ? Utf16ToUtf8(file->bytes)
                     : file->bytes;
    file->sections = ParseSections(file->text);
    if (file->encoding == kEncodingUtf8Bom && !WriteWindowsView(file))
        return false;
    return true;
}

void ReleaseInfFile(InfFile* file)
{
    if (file->readPathIsCopy)
        DeleteFileA(file->readPath.c_str());
    file->readPathIsCopy = false;
}

const InfSection* FindSection(const InfFile& file, const std::string& name)
{
    for (const InfSection& section : file.sections)
        if (Upper(section.name) == Upper(name))
            return &section;
    return NULL;
}

const InfEntry* FindEntry(const InfSection* section, const std::string& key)
{
    if (section == NULL)
        return NULL;
    for (const InfEntry& entry : section->entries)
        if (Upper(entry.key) == Upper(key))
            return &entry;
    return NULL;
}

int LineOf(const InfFile& file, const std::string& section, const std::string& key)
{
    const InfSection* found = FindSection(file, section);
    const InfEntry* entry = key.empty() ? NULL : FindEntry(found, key);
    return entry ? entry->line : found ? found->line : 0;
}

std::string LookupText(const InfFile& file, const std::string& languageSection,
                       const std::string& key, const std::string& fallback, int size,
                       std::string* source)
{
    const char* sections[] = {languageSection.c_str(), kMessageSection};
    for (const char* section : sections) {
        const InfEntry* entry = FindEntry(FindSection(file, section), key);
        std::string value = entry ? ValueAsRead(entry->value) : "";
        if (!value.empty()) {
            *source = FindSection(file, section)->name;
            return value.substr(0, static_cast<size_t>(size - 1));
        }
        // An empty value counts as none in the language section; in [Message] a
        // written key, even empty, stands in place of the default.
        if (entry != NULL && section == sections[1]) {
            *source = FindSection(file, section)->name;
            return "";
        }
    }
    source->clear();
    return fallback.substr(0, static_cast<size_t>(size - 1));
}
