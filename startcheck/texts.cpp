#include "texts.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "findings.h"
#include "locales.h"
#include "prereq/prereq_rules.h"
#include "report.h"
#include "settings/settings.h"

namespace {

const char kSplashTextKey[] = "splashtext";
const char kDefaultSplashText[] = "Please Wait...";
const unsigned kWesternCodePage = 1252;

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

std::vector<std::string> ShownKeys(const LaunchPlan& plan)
{
    std::vector<std::string> keys;
    if (plan.splash != 0)
        keys.push_back(kSplashTextKey);
    if (!plan.dxMedia.empty())
        for (const std::string& key : DXMediaKeys())
            keys.push_back(key);
    if (!plan.script.empty())
        for (const std::string& key : {std::string(kInstallScriptKey), std::string(kUnknownErrorKey)})
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
    return keys;
}

// The language sections written in the file, each once, in file order.
std::vector<std::string> WrittenLanguageSections(const InfFile& file)
{
    std::vector<std::string> found;
    std::set<std::string> seen;
    for (const InfSection& s : file.sections) {
        std::string name = Upper(s.name);
        if (name.compare(0, 8, "MESSAGE.") == 0 && seen.insert(name).second)
            found.push_back(s.name);
    }
    return found;
}

// A group of readers: the locales that look a text up in one section and read
// it in one code page.
struct Readers {
    std::string section;  // the language section they ask first ("Message" for the rest)
    unsigned codePage;
    std::vector<const ReaderLocale*> locales;
};

std::vector<Readers> GroupReaders(const InfFile& file, const std::vector<std::string>& sections)
{
    std::vector<Readers> groups;
    std::vector<const ReaderLocale*> others;
    for (const ReaderLocale& locale : AllLocales()) {
        bool written = false;
        for (const std::string& section : sections)
            written = written || Upper(section) == Upper(locale.section);
        if (!written && locale.codePage != 0)
            others.push_back(&locale);
    }
    for (const std::string& section : sections) {
        std::vector<const ReaderLocale*> locales = LocalesOf(section);
        for (unsigned page : CodePagesOf(locales))
            groups.push_back({section, page, InCodePage(locales, page)});
    }
    for (unsigned page : CodePagesOf(others))
        groups.push_back({kMessageSection, page, InCodePage(others, page)});
    (void)file;
    return groups;
}

// A text as the group's users see it, as UTF-8; false when its bytes do not
// make text in their code page.
bool Decode(const InfFile& file, const std::string& bytes, unsigned codePage, std::string* shown)
{
    if (file.encoding == kEncodingUtf16Le || file.encoding == kEncodingUtf16Be)
        return ConvertUnicodeForCodePage(bytes, codePage, shown);
    return DecodeCodePage(bytes, codePage, shown);
}

struct Problem {
    std::vector<const ReaderLocale*> locales;
    std::set<unsigned> codePages;
    std::string shown;
    bool utf8;
};

std::string PageList(const std::set<unsigned>& pages)
{
    std::string text;
    for (unsigned page : pages)
        text += (text.empty() ? "" : ", ") + std::to_string(page);
    return text;
}

void ReportMissing(const std::vector<std::string>& keys, const std::vector<std::string>& readers,
                   std::map<std::string, std::vector<std::string>>& missing)
{
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
            std::string& list = lacks ? lacking : having;
            list += (list.empty() ? "[" : ", [") + reader + "]";
        }
        Report(kError, kMessageSection, key, 0,
               "no text in [Message]" + (lacking.empty() ? "" : " nor in " + lacking) +
                   ": every user" + (having.empty() ? "" : " but those of " + having) +
                   " sees the missing-entry box");
    }
}

void CheckTextLengths(const InfFile& file, const std::vector<std::string>& sections)
{
    std::vector<std::string> keys = DXMediaKeys();
    keys.push_back(kInstallScriptKey);
    keys.push_back(kSplashTextKey);
    std::vector<std::string> all = sections;
    all.push_back(kMessageSection);
    for (const std::string& section : all)
        for (const std::string& key : keys) {
            const InfEntry* entry = FindEntry(FindSection(file, section), key);
            std::string whole = entry ? ValueAsRead(entry->value) : "";
            size_t limit = static_cast<size_t>(kTextSize - 1);
            if (whole.size() <= limit)
                continue;
            Report(kWarning, FindSection(file, section)->name, key, entry->line,
                   "is " + std::to_string(whole.size()) +
                       " bytes long; the launcher keeps only the first " + std::to_string(limit));
        }
}

}  // namespace

void CheckTexts(const InfFile& file, const LaunchPlan& plan)
{
    std::vector<std::string> sections = WrittenLanguageSections(file);
    std::vector<std::string> keys = ShownKeys(plan);
    CheckTextLengths(file, sections);
    Print("\nTexts the user sees\n");
    if (keys.empty()) {
        Print("  (none: no installer is offered and the splash is off)\n");
        return;
    }

    std::vector<Readers> groups = GroupReaders(file, sections);
    std::vector<std::string> readers;  // sections in the order printed
    std::map<std::string, std::vector<std::string>> missing;        // key -> readers without text
    std::map<std::pair<std::string, std::string>, Problem> invalid;  // (source, key)
    std::map<std::pair<std::string, std::string>, Problem> utf8;
    // (key) -> code page -> how users of [Message]'s text read it
    std::map<std::string, std::map<unsigned, std::string>> fallbackReadings;

    bool westernOthers = false;
    for (const Readers& group : groups)
        westernOthers = westernOthers ||
                        (group.section == kMessageSection && group.codePage == kWesternCodePage);
    for (size_t g = 0; g < groups.size(); ++g) {
        const Readers& group = groups[g];
        bool others = group.section == kMessageSection;
        bool firstOfSection = g == 0 || groups[g - 1].section != group.section;
        if (firstOfSection)
            readers.push_back(group.section);
        // [Message] is printed once, as Western users read it; a language section
        // once per code page of its users.
        bool print = !others || group.codePage == kWesternCodePage ||
                     (!westernOthers && firstOfSection);
        if (print)
            Print("  [" + group.section + "] (" +
                  (others ? std::string("every other language") : DescribeLocales(group.locales)) +
                  "; code page " + std::to_string(group.codePage) + ")\n");
        for (const std::string& key : keys) {
            std::string source;
            const char* fallback = key == kSplashTextKey ? kDefaultSplashText : "";
            std::string text = LookupText(file, group.section, key, fallback, kTextSize, &source);
            if (text.empty() && key != kSplashTextKey) {
                if (print)
                    PrintField(4, key, 18, "MISSING: the box \"Missing entry '" + key + "'\" is shown");
                if (firstOfSection)
                    missing[key].push_back(group.section);
                continue;
            }
            std::string shown;
            bool valid = Decode(file, text, group.codePage, &shown);
            if (print)
                PrintField(4, key, 18, Quote(shown));
            if (source.empty())
                continue;  // the launcher's own default
            if (Upper(source) == Upper(kMessageSection) && HasNonAscii(text))
                fallbackReadings[key][group.codePage] = shown;
            bool looksUtf8 = file.encoding == kEncodingAnsi && LooksLikeUtf8(text);
            if (!valid || looksUtf8) {
                Problem& problem = (!valid ? invalid : utf8)[{source, key}];
                problem.locales.insert(problem.locales.end(), group.locales.begin(),
                                       group.locales.end());
                problem.codePages.insert(group.codePage);
                problem.utf8 = looksUtf8;
                if (problem.shown.empty())
                    problem.shown = shown;
            }
        }
    }
    ReportMissing(keys, readers, missing);

    bool unicode = file.encoding != kEncodingAnsi && file.encoding != kEncodingUtf8Bom;
    for (const auto& item : invalid) {
        const Problem& p = item.second;
        Report(kError, item.first.first, item.first.second,
               LineOf(file, item.first.first, item.first.second),
               std::string(unicode ? "holds characters that code page " : "holds bytes that are not text in code page ") +
                   PageList(p.codePages) + (unicode ? " lacks" : "") +
                   (p.utf8 ? " (the text is UTF-8)" : "") + ": " + DescribeLocales(p.locales) +
                   " users see " + Quote(p.shown) +
                   " (save this section in code page " + PageList(p.codePages) + ")");
    }
    for (const auto& item : utf8) {
        const Problem& p = item.second;
        if (invalid.count(item.first))
            continue;
        Report(kWarning, item.first.first, item.first.second,
               LineOf(file, item.first.first, item.first.second),
               "is written in UTF-8, but " + DescribeLocales(p.locales) + " users read it in code page " +
                   PageList(p.codePages) + " and see " + Quote(p.shown) +
                   " (save this section in their ANSI code page)");
    }
    for (const auto& item : fallbackReadings) {
        const std::map<unsigned, std::string>& readings = item.second;
        unsigned reference = readings.count(kWesternCodePage) ? kWesternCodePage : readings.begin()->first;
        std::set<unsigned> differing;
        for (const auto& reading : readings)
            if (reading.second != readings.at(reference))
                differing.insert(reading.first);
        if (differing.empty())
            continue;
        Report(kWarning, kMessageSection, item.first, LineOf(file, kMessageSection, item.first),
               "non-ASCII text, which the users of every language without a section of its own "
               "read in their code page: " + Quote(readings.at(reference)) + " in code page " +
                   std::to_string(reference) + " reads differently in code page" +
                   (differing.size() == 1 ? " " : "s ") + PageList(differing) +
                   " (for example " + Quote(readings.at(*differing.begin())) +
                   "); keep [Message] to ASCII, or give those languages sections of their own");
    }
}

void CheckLanguageSections(const InfFile& file)
{
    std::vector<std::string> sections = WrittenLanguageSections(file);
    std::set<std::string> written;
    for (const std::string& section : sections)
        written.insert(Upper(section));
    for (const std::string& section : sections) {
        std::vector<const ReaderLocale*> locales = LocalesOf(section);
        int line = LineOf(file, section);
        if (locales.empty()) {
            std::string code = Upper(section.substr(8));
            std::string hint;
            for (const std::string& used : SectionsOfLanguage(code))
                hint += "; " + DescribeLocales(LocalesOf(used, code)) + " users get [" + used + "]";
            Report(kError, section, "", line,
                   "no Windows language selects this section: the language code " + Quote(code) +
                       " is not the first two letters of any abbreviated language name" + hint);
            continue;
        }
        // Other sections that users of the same language get instead. "ZZZ" is the
        // abbreviation of locales that have none of their own: no author writes a
        // section for those.
        std::set<std::string> languages;
        for (const ReaderLocale* locale : locales)
            languages.insert(locale->iso);
        for (const std::string& iso : languages)
            for (const std::string& other : SectionsOfLanguage(iso))
                if (written.find(Upper(other)) == written.end() && Upper(other) != "MESSAGE.ZZ")
                    Report(kWarning, section, "", line,
                           DescribeLocales(LocalesOf(other, iso)) + " users get [" + other +
                               "], which this file lacks: they see [Message]");
    }
}
