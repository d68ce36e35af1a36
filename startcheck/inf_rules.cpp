#include "inf_rules.h"

namespace {

const char kBlanks[] = " \t\r\v\f";

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(kBlanks);
    return text.substr(begin, end - begin + 1);
}

}  // namespace

FileEncoding DetectEncoding(const std::string& bytes)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return kEncodingUtf8Bom;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return kEncodingUtf16Le;
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return kEncodingUtf16Be;
    return kEncodingAnsi;
}

bool IsBlankText(const std::string& bytes)
{
    return bytes.find_first_not_of(" \t\r\n\x1A") == std::string::npos;
}

bool LooksLikeUtf8(const std::string& text)
{
    bool multiByte = false;
    for (size_t at = 0; at < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[at]);
        size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3
                                        : (byte & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || (length == 2 && byte < 0xC2) || at + length > text.size())
            return false;
        for (size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        multiByte = multiByte || length > 1;
        at += length;
    }
    return multiByte;
}

bool HasNonAscii(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

std::vector<InfSection> ParseSections(const std::string& text)
{
    std::vector<InfSection> sections;
    size_t at = 0;
    int line = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string content = Trim(text.substr(at, end - at));
        at = end + 1;
        ++line;
        if (content.empty() || content[0] == ';')
            continue;
        if (content[0] == '[') {
            // A header without its closing bracket names no section: its lines
            // stay with the section before.
            size_t close = content.find(']');
            if (close != std::string::npos)
                sections.push_back({Trim(content.substr(1, close - 1)), line, {}});
            continue;
        }
        size_t equals = content.find('=');
        if (equals == std::string::npos || sections.empty())
            continue;
        sections.back().entries.push_back(
            {Trim(content.substr(0, equals)), Trim(content.substr(equals + 1)), line});
    }
    return sections;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    return text;
}

bool IsWhollyQuoted(const std::string& written)
{
    return written.size() >= 2 && (written[0] == '"' || written[0] == '\'') &&
           written.back() == written[0];
}

std::string ValueAsRead(const std::string& written)
{
    return IsWhollyQuoted(written) ? written.substr(1, written.size() - 2) : written;
}

