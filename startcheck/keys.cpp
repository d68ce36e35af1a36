#include "keys.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "findings.h"
#include "report.h"
#include "texts.h"

namespace {

const char* const kStartKeys[] = {"DirectX", "DXMedia", "DXMediaVersion", "Script", "splash", "open"};
const char* const kStartTextKeys[] = {"DirectX", "DXMedia", "Script", "open"};

size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            size_t same = tolower(static_cast<unsigned char>(a[i - 1])) ==
                          tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min(std::min(row[j] + 1, row[j - 1] + 1), diagonal + (same ? 0 : 1));
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string Closest(const std::string& key, const std::vector<std::string>& known)
{
    std::string best;
    size_t bestDistance = std::string::npos;
    for (const std::string& candidate : known) {
        size_t d = Distance(key, candidate);
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& known : names)
        if (Upper(known) == Upper(name))
            return true;
    return false;
}

// Only a ';' at the start of a line makes a comment: one after a blank is part
// of the value, and the launcher passes it on.
void CheckInlineComment(const InfSection& section, const InfEntry& entry)
{
    size_t at = entry.value.find(';');
    if (at == std::string::npos || at == 0 || (entry.value[at - 1] != ' ' && entry.value[at - 1] != '\t'))
        return;
    Report(kWarning, section.name, entry.key, entry.line,
           "\"" + FromSystemCodePage(entry.value.substr(at)) +
               "\" is not a comment: only a ';' at the start of a line makes one, so the launcher "
               "takes the whole value " + Quote(FromSystemCodePage(ValueAsRead(entry.value))));
}

}  // namespace

void CheckWrittenEntries(const InfFile& file)
{
    std::vector<std::string> startKeys(std::begin(kStartKeys), std::end(kStartKeys));
    std::vector<std::string> startTextKeys(std::begin(kStartTextKeys), std::end(kStartTextKeys));
    std::vector<std::string> messageKeys = MessageKeys();

    std::map<std::string, int> sectionLines;
    for (const InfSection& s : file.sections) {
        std::string name = Upper(s.name);
        auto first = sectionLines.find(name);
        if (first != sectionLines.end()) {
            Report(kWarning, s.name, "", s.line,
                   "written twice (lines " + std::to_string(first->second) + " and " +
                       std::to_string(s.line) + "): only the first one is read, the keys of line " +
                       std::to_string(s.line) + " on are ignored");
            continue;
        }
        sectionLines[name] = s.line;

        bool isStart = name == "START";
        bool isMessage = name == "MESSAGE" || name.compare(0, 8, "MESSAGE.") == 0;
        const std::vector<std::string>* known = isStart ? &startKeys : isMessage ? &messageKeys : NULL;
        std::map<std::string, int> keyLines;
        for (const InfEntry& e : s.entries) {
            auto seen = keyLines.find(Upper(e.key));
            if (seen != keyLines.end()) {
                Report(kWarning, s.name, e.key, e.line,
                       "written twice (lines " + std::to_string(seen->second) + " and " +
                           std::to_string(e.line) + "): the first one wins");
                continue;
            }
            keyLines[Upper(e.key)] = e.line;
            if (known == NULL)
                continue;
            if (!Contains(*known, e.key)) {
                Report(kWarning, s.name, e.key, e.line,
                       "is not a key the launcher reads (line " + std::to_string(e.line) +
                           "); did you mean " + Closest(e.key, *known) + "?");
                continue;
            }
            CheckInlineComment(s, e);
            if (isStart && Contains(startTextKeys, e.key) && IsWhollyQuoted(e.value))
                Report(kWarning, s.name, e.key, e.line,
                       "the quotation marks around the whole value are removed when it is read; "
                       "quote only the program: " + e.key + "=\"%splayer.exe\" ...");
        }
    }
}
