#include "encoding.h"

#include <windows.h>

#include <vector>

#include "findings.h"
#include "inf_file.h"

namespace {

std::string WideToUtf8(const std::vector<wchar_t>& wide, int count)
{
    if (count <= 0)
        return "";
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, NULL, 0, NULL, NULL);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, &utf8[0], size, NULL, NULL);
    return utf8;
}

std::vector<wchar_t> Utf8ToWide(const std::string& utf8)
{
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    NULL, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(count > 0 ? count : 0) + 1);
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            count);
    wide.resize(static_cast<size_t>(count > 0 ? count : 0));
    return wide;
}

int LineOfOffset(const std::string& bytes, size_t offset)
{
    int line = 1;
    for (size_t at = 0; at < offset && at < bytes.size(); ++at)
        line += bytes[at] == '\n' ? 1 : 0;
    return line;
}

// Control bytes that no text editor writes: everything below 0x20 but tab, LF,
// CR, form feed and the old end-of-file mark 0x1A.
bool IsBinaryByte(unsigned char byte)
{
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
           byte != 0x1A;
}

}  // namespace

std::string Utf16ToUtf8(const std::string& bytes)
{
    bool bigEndian = DetectEncoding(bytes) == kEncodingUtf16Be;
    std::vector<wchar_t> wide;
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        unsigned char first = static_cast<unsigned char>(bytes[at]);
        unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
        wide.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second
                                                      : (second << 8) | first));
    }
    return WideToUtf8(wide, static_cast<int>(wide.size()));
}

bool DecodeCodePage(const std::string& bytes, unsigned codePage, std::string* utf8)
{
    utf8->clear();
    if (bytes.empty())
        return true;
    int size = static_cast<int>(bytes.size());
    std::vector<wchar_t> wide(bytes.size() + 1);
    int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size,
                                    wide.data(), size);
    bool valid = count > 0;
    if (!valid)
        count = MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), size);
    *utf8 = WideToUtf8(wide, count);
    return valid;
}

bool ConvertUnicodeForCodePage(const std::string& utf8, unsigned codePage, std::string* shown)
{
    std::vector<wchar_t> wide = Utf8ToWide(utf8);
    if (wide.empty()) {
        shown->clear();
        return true;
    }
    int count = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(codePage, 0, wide.data(), count, NULL, 0, NULL, NULL);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), count, &bytes[0], size,
                            NULL, &lossy);
    DecodeCodePage(bytes, codePage, shown);
    return !lossy;
}

std::string FromSystemCodePage(const std::string& bytes)
{
    std::string utf8;
    DecodeCodePage(bytes, CP_ACP, &utf8);
    return utf8;
}

void CheckFileEncoding(const InfFile& file)
{
    const std::string& bytes = file.bytes;
    if (IsBlankText(bytes)) {
        Report(kError, "", "", 0,
               "the file is empty: the launcher installs nothing, shows \"Please Wait...\" "
               "and starts nothing");
        return;
    }
    switch (file.encoding) {
    case kEncodingUtf8Bom: {
        // The mark belongs to line 1 on Windows: a section header there is not one.
        size_t lineEnd = bytes.find('\n');
        std::string first = bytes.substr(3, lineEnd == std::string::npos ? std::string::npos
                                                                         : lineEnd - 3);
        size_t begin = first.find_first_not_of(" \t");
        if (begin != std::string::npos && first[begin] == '[') {
            size_t close = first.find(']', begin);
            std::string name = first.substr(begin + 1, close == std::string::npos
                                                           ? std::string::npos
                                                           : close - begin - 1);
            Report(kError, name, "", 1,
                   "the file begins with a UTF-8 byte-order mark, which Windows reads as "
                   "part of line 1: the section [" + FromSystemCodePage(name) +
                       "] written there is never found and its keys are never read (save the "
                       "file without a byte-order mark, in the readers' ANSI code page)");
        } else {
            Report(kWarning, "", "", 1,
                   "the file begins with a UTF-8 byte-order mark, which Windows reads as part of "
                   "line 1 (it breaks a section written there; save the file without it)");
        }
        break;
    }
    case kEncodingUtf16Le:
        Report(kError, "", "", 0,
               "the file is UTF-16: Windows 95, 98, Me and NT 4.0, the systems on which the "
               "prerequisites are installed, read nothing from it (save it in the readers' ANSI "
               "code page)");
        return;
    case kEncodingUtf16Be:
        Report(kError, "", "", 0,
               "the file is UTF-16 big-endian, which no Windows reads as text: the launcher "
               "finds nothing in it (save it in the readers' ANSI code page)");
        return;
    case kEncodingAnsi:
        break;
    }
    size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        // Without a byte-order mark, NULs every other byte are UTF-16 text.
        Report(kError, "", "", LineOfOffset(bytes, nul),
               "holds a NUL byte (offset " + std::to_string(nul) + "): this is not a text file "
               "as Windows reads it (UTF-16 without a byte-order mark, or binary data); the "
               "launcher may find nothing after it");
        return;
    }
    size_t binary = 0;
    size_t firstBinary = std::string::npos;
    for (size_t at = 0; at < bytes.size(); ++at)
        if (IsBinaryByte(static_cast<unsigned char>(bytes[at]))) {
            ++binary;
            if (firstBinary == std::string::npos)
                firstBinary = at;
        }
    if (binary > 0)
        Report(kError, "", "", LineOfOffset(bytes, firstBinary),
               std::to_string(binary) + " control byte" + (binary == 1 ? "" : "s") +
                   " that no text holds (first at offset " + std::to_string(firstBinary) +
                   "): this does not look like a text file");
}
