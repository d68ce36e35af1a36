// startcheck: reads a presentation's start.inf the way the launcher does and
// reports every mistake that the launcher would silently swallow, before the
// disc is made.
//
// It reads the file through the same profile functions and the same code as the
// launcher (program path cut, command expansion, language sections, the
// two-section text lookup), so what it reports is what the launcher will do.
//
// Usage: startcheck <start.inf | folder that holds it>
// Exit code: 0 without errors, 1 with errors (or when the file cannot be read).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "launch/command_rules.h"
#include "prereq/prereq_rules.h"
#include "prereq/probes.h"
#include "settings/settings.h"

namespace {

// -- findings -------------------------------------------------------------------

enum Severity { kError, kWarning };

struct Finding {
    Severity severity;
    std::string where;
    std::string what;
};

std::vector<Finding> g_findings;

void Report(Severity severity, const std::string& where, const std::string& what)
{
    g_findings.push_back({severity, where, what});
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

// -- the file as written: sections, keys, line numbers ----------------------------

struct Entry {
    std::string key;
    std::string value;
    int line;
};

struct Section {
    std::string name;  // as written
    int line;
    std::vector<Entry> entries;
};

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool ReadWholeFile(const std::string& path, std::string* content)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        content->append(chunk, got);
    fclose(file);
    return true;
}

// Sections in the order written; a section written twice appears twice.
std::vector<Section> ParseSections(const std::string& content)
{
    std::vector<Section> sections;
    size_t at = 0;
    int line = 0;
    while (at < content.size()) {
        size_t end = content.find('\n', at);
        if (end == std::string::npos)
            end = content.size();
        std::string text = Trim(content.substr(at, end - at));
        at = end + 1;
        ++line;
        if (text.empty() || text[0] == ';')
            continue;
        if (text[0] == '[') {
            size_t close = text.find(']');
            sections.push_back({Trim(text.substr(1, close == std::string::npos ? std::string::npos
                                                                                : close - 1)),
                                line, {}});
            continue;
        }
        size_t equals = text.find('=');
        if (equals == std::string::npos || sections.empty())
            continue;
        sections.back().entries.push_back(
            {Trim(text.substr(0, equals)), Trim(text.substr(equals + 1)), line});
    }
    return sections;
}

// -- what the launcher knows --------------------------------------------------------

struct StartKey {
    const char* name;
    int size;  // buffer size, 0 for an integer
};

const StartKey kStartKeys[] = {
    {"DirectX", kPathSize}, {"DXMedia", kPathSize}, {"DXMediaVersion", 0},
    {"Script", kPathSize},  {"splash", 0},          {"open", kCommandSize},
};

const char kSplashTextKey[] = "splashtext";
const char kDefaultSplashText[] = "Please Wait...";

// Every message key the launcher can show, in the order a launch shows them:
// the DirectX Media question and the texts of its installer's exit codes, then
// the script engine's.
std::vector<std::string> DXMediaKeys()
{
    std::vector<std::string> keys = {kInstallDXMediaKey};
    const unsigned codes[] = {kExitSuccess, kExitSuccessRebootRequired, kExitOldWindowsVersion,
                              kExitNotAdministrator, kExitFailed, 1};
    for (unsigned code : codes)
        keys.push_back(GetDXMediaOutcome(true, code).messageKey);
    return keys;
}

std::vector<std::string> ScriptKeys()
{
    return {kInstallScriptKey, kUnknownErrorKey};
}

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

// -- language sections that Windows selects -----------------------------------------

struct LocaleName {
    std::string iso;      // ISO 639 language code, upper case
    std::string display;  // "Language (Country)"
};

std::map<std::string, std::vector<LocaleName>> g_sectionLocales;  // MESSAGE.XX -> locales
std::map<std::string, std::set<std::string>> g_isoSections;       // ISO code -> sections

BOOL CALLBACK CollectLocale(LPSTR localeText)
{
    LCID locale = static_cast<LCID>(strtoul(localeText, NULL, 16));
    char abbreviation[6] = {0};
    char iso[16] = {0};
    char language[80] = {0};
    char country[80] = {0};
    GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation);
    GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, iso, sizeof iso);
    GetLocaleInfoA(locale, LOCALE_SENGLANGUAGE, language, sizeof language);
    GetLocaleInfoA(locale, LOCALE_SENGCOUNTRY, country, sizeof country);
    abbreviation[5] = 0;
    char section[kSectionSize];
    BuildMessageSection(abbreviation, section, sizeof section);
    std::string display = std::string(language) + (country[0] ? " (" + std::string(country) + ")" : "");
    g_sectionLocales[Upper(section)].push_back({Upper(iso), display});
    if (iso[0] != 0)
        g_isoSections[Upper(iso)].insert(section);
    return TRUE;
}

// The locales whose users get `section`, or only those of one language.
std::string Locales(const std::string& section, const std::string& iso = "")
{
    std::set<std::string> names;
    for (const LocaleName& name : g_sectionLocales[Upper(section)])
        if (iso.empty() || name.iso == iso)
            names.insert(name.display);
    std::string text;
    size_t shown = 0;
    for (const std::string& name : names) {
        if (shown == 3) {
            text += " and " + std::to_string(names.size() - shown) + " more";
            break;
        }
        text += (shown++ ? ", " : "") + name;
    }
    return text;
}

// -- the checks ------------------------------------------------------------------------

struct Inf {
    std::string path;    // full path of start.inf
    std::string folder;  // the disc folder, with its trailing backslash
    std::vector<Section> sections;
};

std::string ReadText(const Inf& inf, const char* section, const std::string& key, int size)
{
    std::vector<char> value(size);
    ReadSettingText(inf.path.c_str(), section, key.c_str(), "", value.data(), size);
    return value.data();
}

// A value as long as it is written (up to 32 KiB), to find what a buffer cuts.
std::string ReadWhole(const Inf& inf, const char* section, const std::string& key)
{
    return ReadText(inf, section, key, 32768);
}

void CheckLength(const Inf& inf, const char* section, const std::string& key, int size)
{
    std::string whole = ReadWhole(inf, section, key);
    size_t limit = static_cast<size_t>(size - 1);
    if (whole.size() <= limit)
        return;
    size_t from = limit > 24 ? limit - 24 : 0;
    Report(kWarning, "[" + std::string(section) + "] " + key,
           "is " + std::to_string(whole.size()) + " bytes long; the launcher keeps only the first " +
               std::to_string(limit) + ": ..." + whole.substr(from, limit - from) + " <cut> " +
               whole.substr(limit, 24) + "...");
}

// Whether the raw text is a plain decimal number, as the launcher's integer
// lookup reads it in full.
bool IsPlainDecimal(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// The entries of `key` in [Start] as written, in every [Start] section.
std::vector<Entry> StartEntries(const Inf& inf, const std::string& key)
{
    std::vector<Entry> found;
    for (const Section& s : inf.sections)
        if (Upper(s.name) == "START")
            for (const Entry& e : s.entries)
                if (Upper(e.key) == Upper(key))
                    found.push_back(e);
    return found;
}

int CheckInteger(const Inf& inf, const char* key, int fallback)
{
    int value = ReadSettingInt(inf.path.c_str(), "Start", key, fallback);
    for (const Entry& e : StartEntries(inf, key))
        if (!IsPlainDecimal(e.value))
            Report(kWarning, std::string("[Start] ") + key,
                   Quote(e.value) + " is not a plain decimal number; the launcher reads " +
                       std::to_string(value));
    return value;
}

// The program a command line starts, found the way Windows starts a command
// without a separate program name: a quoted first word, or else the text up to
// each blank in turn, with ".exe" added when it has no extension.
std::string FindStartedProgram(const std::string& command, std::string* tried)
{
    std::vector<std::string> candidates;
    if (!command.empty() && command[0] == '"') {
        size_t close = command.find('"', 1);
        candidates.push_back(command.substr(1, close == std::string::npos ? std::string::npos
                                                                          : close - 1));
    } else {
        for (size_t at = 0; at <= command.size(); ++at)
            if (at == command.size() || command[at] == ' ')
                candidates.push_back(command.substr(0, at));
    }
    *tried = candidates.empty() ? "" : candidates.front();
    for (const std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        char found[MAX_PATH];
        if (SearchPathA(NULL, candidate.c_str(), ".exe", sizeof found, found, NULL) > 0 &&
            FileExists(found))
            return found;
    }
    return "";
}

struct InstallerPlan {
    const char* key;
    bool checkedByLauncher;  // the launcher looks for the program before it asks
    std::string command;
};

void CheckInstaller(InstallerPlan* plan, const Inf& inf)
{
    plan->command = ReadText(inf, "Start", plan->key, kPathSize);
    std::string where = std::string("[Start] ") + plan->key;
    printf("  %-15s %s\n", plan->key, plan->command.empty() ? "(not set: nothing is installed)"
                                                            : plan->command.c_str());
    if (plan->command.empty())
        return;

    if (!plan->checkedByLauncher) {
        // Started as a whole: Windows finds the program itself.
        std::string tried;
        std::string program = FindStartedProgram(plan->command, &tried);
        printf("    %-13s %s\n", "program", program.empty() ? (tried + ": NOT FOUND").c_str()
                                                            : (program + ": found").c_str());
        if (program.empty())
            Report(kError, where,
                   "program " + Quote(tried) +
                       " not found: the launcher skips the installation without a word");
        return;
    }

    char programPath[kPathSize];
    GetProgramPath(plan->command.c_str(), programPath, sizeof programPath);
    std::string program = programPath;
    bool found = FileExists(programPath);
    printf("    %-13s %s: %s\n", "program", Quote(program).c_str(), found ? "found" : "NOT FOUND");
    if (found)
        return;
    if (program.empty()) {
        Report(kError, where,
               "begins with a blank: the program path is empty, so the installation is never "
               "offered");
    } else if (program[0] == '"') {
        Report(kError, where,
               "program path " + Quote(program) +
                   " is in quotation marks, which the launcher does not remove: it is never "
                   "found, so the installation is never offered");
    } else {
        // A longer piece up to a later blank that names a file: the path has a blank.
        for (size_t at = program.size() + 1; at <= plan->command.size(); ++at) {
            if (at < plan->command.size() && plan->command[at] != ' ')
                continue;
            std::string longer = plan->command.substr(0, at);
            if (FileExists(longer.c_str())) {
                Report(kError, where,
                       "program path cut at a blank: the launcher looks for " + Quote(program) +
                           ", but the program is " + Quote(longer) +
                           "; the installation is never offered (use a path without blanks)");
                return;
            }
        }
        Report(kError, where,
               "program " + Quote(program) +
                   " not found: the launcher skips the installation without a word");
    }
}

void CheckOpen(const Inf& inf)
{
    std::string format = ReadText(inf, "Start", "open", kCommandSize);
    printf("  %-15s %s\n", "open", format.empty() ? "(not set: nothing is started)" : format.c_str());
    if (format.empty())
        return;
    for (const Entry& e : StartEntries(inf, "open"))
        if (e.value.size() >= 2 && e.value.front() == '"' && e.value.back() == '"')
            Report(kWarning, "[Start] open",
                   "the quotation marks around the whole value are removed when it is read; "
                   "quote only the program: open=\"%splayer.exe\" ...");

    std::string others;
    int folders = 0;
    for (size_t at = 0; at < format.size(); ++at) {
        if (format[at] != '%')
            continue;
        char next = at + 1 < format.size() ? format[at + 1] : 0;
        if (next == 's') {
            ++folders;
        } else if (next != '%') {
            others += (others.empty() ? "" : ", ") + std::string("%") + (next ? std::string(1, next) : "");
        }
        if (next == 's' || next == '%')
            ++at;
    }
    if (!others.empty())
        Report(kWarning, "[Start] open",
               "holds " + others + ": only %s (the launcher's folder) and %% (one %) are "
                                   "conversions; the rest is passed on as written");

    char expanded[kCommandSize];
    bool fits = ExpandCommand(format.c_str(), inf.folder.c_str(), expanded, sizeof expanded);
    printf("    %-13s %s\n", "expanded", expanded);
    if (!fits) {
        char bare[kCommandSize];
        ExpandCommand(format.c_str(), "", bare, sizeof bare);
        int fixed = static_cast<int>(strlen(bare));
        std::string longest = folders > 0 ? std::to_string((kCommandSize - 1 - fixed) / folders)
                                          : std::string("none");
        Report(kError, "[Start] open",
               "expands to more than " + std::to_string(kCommandSize - 1) +
                   " bytes for this folder and is cut; the longest folder that still fits is " +
                   longest + " bytes (this one: " + std::to_string(inf.folder.size()) + ")");
    }
    std::string tried;
    std::string program = FindStartedProgram(expanded, &tried);
    printf("    %-13s %s\n", "program", program.empty() ? (tried + ": NOT FOUND").c_str()
                                                        : (program + ": found").c_str());
    if (program.empty())
        Report(kError, "[Start] open",
               "program " + Quote(tried) + " not found in this folder: nothing would start");
}

void CheckKeysAndDuplicates(const Inf& inf)
{
    std::vector<std::string> startKeys;
    for (const StartKey& k : kStartKeys)
        startKeys.push_back(k.name);
    std::vector<std::string> messageKeys = DXMediaKeys();
    messageKeys.push_back(kInstallScriptKey);
    messageKeys.push_back(kSplashTextKey);

    std::map<std::string, int> sectionLines;
    for (const Section& s : inf.sections) {
        std::string name = Upper(s.name);
        auto first = sectionLines.find(name);
        if (first != sectionLines.end()) {
            Report(kWarning, "[" + s.name + "]",
                   "written twice (lines " + std::to_string(first->second) + " and " +
                       std::to_string(s.line) +
                       "): only the first one is read, the keys of line " +
                       std::to_string(s.line) + " on are ignored");
            continue;
        }
        sectionLines[name] = s.line;

        bool isStart = name == "START";
        bool isMessage = name == "MESSAGE" || name.compare(0, 8, "MESSAGE.") == 0;
        std::map<std::string, int> keyLines;
        for (const Entry& e : s.entries) {
            std::string where = "[" + s.name + "] " + e.key;
            auto seen = keyLines.find(Upper(e.key));
            if (seen != keyLines.end()) {
                Report(kWarning, where,
                       "written twice (lines " + std::to_string(seen->second) + " and " +
                           std::to_string(e.line) + "): the first one wins");
                continue;
            }
            keyLines[Upper(e.key)] = e.line;
            const std::vector<std::string>* known =
                isStart ? &startKeys : isMessage ? &messageKeys : NULL;
            if (known == NULL)
                continue;
            bool isKnown = false;
            for (const std::string& k : *known)
                isKnown = isKnown || Upper(k) == Upper(e.key);
            if (!isKnown)
                Report(kWarning, where,
                       "is not a key the launcher reads (line " + std::to_string(e.line) +
                           "); did you mean " + Closest(e.key, *known) + "?");
        }
    }
}

// The language sections written in the file, each once, in file order.
std::vector<std::string> LanguageSections(const Inf& inf)
{
    std::vector<std::string> found;
    std::set<std::string> seen;
    for (const Section& s : inf.sections) {
        std::string name = Upper(s.name);
        if (name.compare(0, 8, "MESSAGE.") == 0 && seen.insert(name).second)
            found.push_back(s.name);
    }
    return found;
}

void CheckLanguageSections(const std::vector<std::string>& sections)
{
    std::set<std::string> written;
    for (const std::string& section : sections)
        written.insert(Upper(section));
    for (const std::string& section : sections) {
        const std::vector<LocaleName>& locales = g_sectionLocales[Upper(section)];
        if (locales.empty()) {
            std::string code = Upper(section.substr(8));
            std::string hint;
            for (const std::string& used : g_isoSections[code])
                hint += "; " + Locales(used, code) + " users get [" + used + "]";
            Report(kError, "[" + section + "]",
                   "no Windows language selects this section: the language code " + Quote(code) +
                       " is not the first two letters of any abbreviated language name" + hint);
            continue;
        }
        // Other sections that users of the same language get instead.
        std::set<std::string> isos;
        for (const LocaleName& locale : locales)
            isos.insert(locale.iso);
        // "ZZZ" is the abbreviation of locales that have none of their own: no
        // author writes a section for those.
        for (const std::string& iso : isos)
            for (const std::string& other : g_isoSections[iso])
                if (written.find(Upper(other)) == written.end() && Upper(other) != "MESSAGE.ZZ")
                    Report(kWarning, "[" + section + "]",
                           Locales(other, iso) + " users get [" + other +
                               "], which this file lacks: they see [Message]");
    }
}

void ShowTexts(const Inf& inf, const std::vector<std::string>& sections,
               const std::vector<std::string>& keys)
{
    // What a user of each language section sees, and what everyone else sees.
    std::vector<std::string> readers;
    for (const std::string& section : sections)
        if (!g_sectionLocales[Upper(section)].empty())
            readers.push_back(section);
    readers.push_back(kMessageSection);
    std::map<std::string, std::vector<std::string>> missing;  // key -> readers without text
    for (const std::string& reader : readers) {
        bool fallbackOnly = reader == kMessageSection;
        printf("  [%s] (%s)\n", reader.c_str(),
               fallbackOnly ? "every other language" : Locales(reader).c_str());
        for (const std::string& key : keys) {
            char text[kTextSize];
            const char* fallback = key == kSplashTextKey ? kDefaultSplashText : "";
            ReadTextInSections(inf.path.c_str(), reader.c_str(), key.c_str(), fallback, text);
            if (text[0] == 0 && key != kSplashTextKey) {
                printf("    %-18s MISSING: the box \"Missing entry '%s'\" is shown\n", key.c_str(),
                       key.c_str());
                missing[key].push_back(reader);
            } else {
                printf("    %-18s %s\n", key.c_str(), Quote(text).c_str());
            }
        }
    }
    // A text is missing for a language only when [Message] lacks it too: one
    // finding per key, naming the languages that still see a text.
    for (const std::string& key : keys) {
        if (missing[key].empty())
            continue;
        std::string lacking, having;
        for (const std::string& reader : readers) {
            if (reader == kMessageSection)
                continue;
            bool lacks = std::find(missing[key].begin(), missing[key].end(), reader) !=
                         missing[key].end();
            (lacks ? lacking : having) += (lacks ? lacking : having).empty() ? "" : ", ";
            (lacks ? lacking : having) += "[" + reader + "]";
        }
        Report(kError, std::string("[Message] ") + key,
               "no text in [Message]" + (lacking.empty() ? "" : " nor in " + lacking) +
                   ": every user" + (having.empty() ? "" : " but those of " + having) +
                   " sees the missing-entry box");
    }
}

bool LocateInf(const char* argument, Inf* inf)
{
    char full[MAX_PATH];
    char* name = NULL;
    if (GetFullPathNameA(argument, sizeof full, full, &name) == 0)
        return false;
    std::string path = full;
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (path.back() != '\\')
            path += '\\';
        path += kSettingsFileName;
    }
    inf->path = path;
    inf->folder = path.substr(0, path.find_last_of("\\/") + 1);
    std::string content;
    if (!ReadWholeFile(path, &content))
        return false;
    inf->sections = ParseSections(content);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: startcheck <start.inf | folder that holds it>\n");
        return 2;
    }
    Inf inf;
    if (!LocateInf(argv[1], &inf)) {
        printf("startcheck: cannot read %s\n", inf.path.empty() ? argv[1] : inf.path.c_str());
        printf("\n1 error, 0 warnings\n");
        return 1;
    }
    // Relative program paths are looked for where the launcher starts: its folder.
    SetCurrentDirectoryA(inf.folder.c_str());
    EnumSystemLocalesA(CollectLocale, LCID_SUPPORTED);

    printf("start.inf checker: %s\n", inf.path.c_str());
    printf("\nLaunch plan (as the launcher reads it)\n");
    InstallerPlan installers[] = {{"DirectX", false, ""}, {"DXMedia", true, ""},
                                  {"Script", true, ""}};
    CheckInstaller(&installers[0], inf);
    CheckInstaller(&installers[1], inf);
    if (!installers[1].command.empty())
        printf("  %-15s %d\n", "DXMediaVersion", CheckInteger(inf, "DXMediaVersion", 600));
    CheckInstaller(&installers[2], inf);
    int splash = CheckInteger(inf, "splash", 1);
    printf("  %-15s %d: %s\n", "splash", splash, splash ? "shown" : "off");
    CheckOpen(inf);

    for (const StartKey& k : kStartKeys)
        if (k.size > 0)
            CheckLength(inf, "Start", k.name, k.size);

    std::vector<std::string> sections = LanguageSections(inf);
    std::vector<std::string> keys;
    if (splash != 0)
        keys.push_back(kSplashTextKey);
    if (!installers[1].command.empty())
        for (const std::string& key : DXMediaKeys())
            keys.push_back(key);
    if (!installers[2].command.empty())
        for (const std::string& key : ScriptKeys())
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
    printf("\nTexts the user sees\n");
    if (keys.empty())
        printf("  (none: no installer is offered and the splash is off)\n");
    else
        ShowTexts(inf, sections, keys);

    std::vector<std::string> allSections = sections;
    allSections.push_back(kMessageSection);
    std::vector<std::string> allKeys = DXMediaKeys();
    allKeys.push_back(kInstallScriptKey);
    allKeys.push_back(kSplashTextKey);
    for (const std::string& section : allSections)
        for (const std::string& key : allKeys)
            CheckLength(inf, section.c_str(), key, kTextSize);
    CheckLanguageSections(sections);
    CheckKeysAndDuplicates(inf);

    int errors = 0, warnings = 0;
    printf("\nFindings\n");
    if (g_findings.empty())
        printf("  none\n");
    for (const Finding& f : g_findings) {
        printf("  %-7s %s: %s\n", f.severity == kError ? "error" : "warning", f.where.c_str(),
               f.what.c_str());
        (f.severity == kError ? errors : warnings) += 1;
    }
    printf("\n%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
           warnings == 1 ? "" : "s");
    return errors > 0 ? 1 : 0;
}
