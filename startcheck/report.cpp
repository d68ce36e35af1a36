#include "report.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "findings.h"

namespace {

bool g_json = false;

void Write(const std::string& utf8)
{
    // Line ends as Windows writes them.
    std::string text;
    for (char c : utf8) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && out != NULL && GetConsoleMode(out, &mode)) {
        // A console shows UTF-16 whatever its code page is.
        int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        NULL, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(count > 0 ? count : 0) + 1);
        if (count > 0) {
            MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                wide.data(), count);
            DWORD written = 0;
            WriteConsoleW(out, wide.data(), static_cast<DWORD>(count), &written, NULL);
        }
        return;
    }
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string Place(const Finding& f)
{
    std::string place = f.section.empty() ? "" : "[" + f.section + "]";
    if (!f.key.empty())
        place += (place.empty() ? "" : " ") + f.key;
    return place.empty() ? (f.line > 0 ? "line " + std::to_string(f.line) : "start.inf") : place;
}

}  // namespace

void SetJsonOutput(bool json)
{
    g_json = json;
}

void Print(const std::string& utf8)
{
    if (!g_json)
        Write(utf8);
}

void PrintField(int indent, const std::string& name, int width, const std::string& value)
{
    std::string line(static_cast<size_t>(indent), ' ');
    line += name;
    if (static_cast<int>(name.size()) < width)
        line += std::string(static_cast<size_t>(width) - name.size(), ' ');
    Print(line + " " + value + "\n");
}

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

void PrintFindings()
{
    int errors = CountFindings(kError);
    int warnings = CountFindings(kWarning);
    if (g_json) {
        std::string lines;
        for (const Finding& f : Findings())
            lines += "{\"severity\": " + JsonString(f.severity == kError ? "error" : "warning") +
                     ", \"section\": " + JsonString(f.section) + ", \"key\": " +
                     JsonString(f.key) + ", \"line\": " + std::to_string(f.line) +
                     ", \"message\": " + JsonString(f.message) + "}\n";
        Write(lines);
        return;
    }
    std::string text = "\nFindings\n";
    if (Findings().empty())
        text += "  none\n";
    for (const Finding& f : Findings())
        text += std::string(f.severity == kError ? "error  " : "warning") + " " + Place(f) +
                ": " + f.message + "\n";
    text += "\n" + std::to_string(errors) + " error" + (errors == 1 ? "" : "s") + ", " +
            std::to_string(warnings) + " warning" + (warnings == 1 ? "" : "s") + "\n";
    Write(text);
}
