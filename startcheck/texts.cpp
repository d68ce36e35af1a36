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

std::vector<Readers> GroupReaders(const std::vector<std::string>& sections)
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

// How the users of one code page read one text.
struct Reading {
    std::string shown;
    bool valid;
    std::vector<const ReaderLocale*> locales;
};
typedef std::map<unsigned, Reading> Readings;  // code page -> reading

std::string PageList(const std::set<unsigned>& pages)
{
    std::string text;
    for (unsigned page : pages)
        text += (text.empty() ? "" : ", ") + std::to_string(page);
    return text;
}

// The findings of one non-ASCII text from the readings of its users:
// - in a language section, bytes that a reader's code page cannot show are an
//   error, UTF-8 text is a warning, and a section read in two code pages (CH,
//   ZH) whose text reads differently in them is a warning;
// - [Message] is read in every code page of the languages without a section of
//   their own, so its non-ASCII text always misreads somewhere: one warning
//   that lists the code pages that read it differently (UTF-8 text, which reads
//   wrong for everyone, gets the UTF-8 warning instead).
void ReportReadings(const InfFile& file, const std::string& source, const std::string& key,
                    const Readings& readings)
{
    bool fallback = Upper(source) == Upper(kMessageSection);
    int line = LineOf(file, source, key);
    bool unicode = file.encoding == kEncodingUtf16Le || file.encoding == kEncodingUtf16Be;
    std::string text = ValueAsRead(FindEntry(FindSection(file, source), key)->value);
    bool utf8 = !unicode && LooksLikeUtf8(text);
    std::set<unsigned> invalid, singleByte;
    for (const auto& r : readings) {
        CPINFO info;
        if (!r.second.valid)
            invalid.insert(r.first);
        else if (GetCPInfo(r.first, &info) && info.MaxCharSize == 1)
            singleByte.insert(r.first);
    }
    if (!fallback) {
        for (unsigned page : invalid) {
            const Reading& r = readings.at(page);
            Report(kError, source, key, line,
                   std::string(unicode ? "holds characters that code page " + std::to_string(page) + " lacks"
                                       : "holds bytes that are not text in code page " + std::to_string(page)) +
                       (utf8 ? " (the text is UTF-8)" : "") + ": " + DescribeLocales(r.locales) +
                       " users see " + Quote(r.shown) + " (save this section in code page " +
                       std::to_string(page) + ")");
        }
    }
    if (utf8 && (!singleByte.empty() || (!fallback && invalid.empty()))) {
        std::set<unsigned> pages = singleByte.empty() ? std::set<unsigned>{readings.begin()->first} : singleByte;
        std::vector<const ReaderLocale*> locales;
        for (unsigned page : pages)
            locales.insert(locales.end(), readings.at(page).locales.begin(), readings.at(page).locales.end());
        unsigned shownPage = pages.count(kWesternCodePage) ? kWesternCodePage : *pages.begin();
        Report(kWarning, source, key, line,
               "is written in UTF-8, but " + (fallback ? std::string("the users of every language without a section of its own") : DescribeLocales(locales) + " users") +
                   " read it in code page " + PageList(pages) + " and see " +
                   Quote(readings.at(shownPage).shown) + " (save it in the readers' ANSI code page" +
                   (fallback ? ", or keep [Message] to ASCII)" : ")"));
        return;
    }
    if (readings.size() < 2)
        return;
    unsigned reference = readings.count(kWesternCodePage) ? kWesternCodePage : readings.begin()->first;
    if (!fallback) {
        // The code page of the locales the section was named for reads it as written.
        size_t most = 0;
        for (const auto& r : readings)
            if (r.second.valid && r.second.locales.size() > most) {
                most = r.second.locales.size();
                reference = r.first;
            }
    }
    std::set<unsigned> differing;
    for (const auto& r : readings)
        if (r.first != reference && (r.second.shown != readings.at(reference).shown || !r.second.valid) &&
            (fallback || r.second.valid))
            differing.insert(r.first);
    if (differing.empty())
        return;
    const Reading& example = readings.at(*differing.begin());
    if (fallback) {
        Report(kWarning, source, key, line,
               "non-ASCII text, which the users of every language without a section of its own "
               "read in their code page: " + Quote(readings.at(reference).shown) + " in code page " +
                   std::to_string(reference) + " reads differently in code page" +
                   (differing.size() == 1 ? " " : "s ") + PageList(differing) + " (" +
                   DescribeLocales(example.locales) + " users see " + Quote(example.shown) +
                   "); keep [Message] to ASCII, or give those languages sections of their own");
    } else {
        Report(kWarning, source, key, line,
               "is read in code pages " + PageList(std::set<unsigned>{reference}) + " and " +
                   PageList(differing) + ", in which it reads differently: " +
                   DescribeLocales(readings.at(reference).locales) + " users see " +
                   Quote(readings.at(reference).shown) + ", " + DescribeLocales(example.locales) +
                   " users see " + Quote(example.shown));
    }
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
    std::vector<std::string> keys = MessageKeys();
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

std::vector<std::string> MessageKeys()
{
    std::vector<std::string> keys = DXMediaKeys();
    keys.push_back(kInstallScriptKey);
    keys.push_back(kSplashTextKey);
    return keys;
}

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

    std::vector<Readers> groups = GroupReaders(sections);
    std::vector<std::string> readers;  // sections in the order printed
    std::map<std::string, std::vector<std::string>> missing;  // key -> readers without text
    std::map<std::pair<std::string, std::string>, Readings> texts;  // (source, key)

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
            if (source.empty() || !HasNonAscii(text))
                continue;  // the launcher's own default, or text that reads alike everywhere
            Reading& reading = texts[{source, key}][group.codePage];
            reading.shown = shown;
            reading.valid = valid;
            reading.locales.insert(reading.locales.end(), group.locales.begin(), group.locales.end());
        }
    }
    ReportMissing(keys, readers, missing);
    for (const auto& item : texts)
        ReportReadings(file, item.first.first, item.first.second, item.second);
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
