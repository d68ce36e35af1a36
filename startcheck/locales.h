// The users of each language section: every locale the system knows, with the
// section the launcher builds from its abbreviated language name and the ANSI
// code page in which its users read start.inf. Taken from the platform
// (EnumSystemLocalesA, LOCALE_SABBREVLANGNAME, LOCALE_IDEFAULTANSICODEPAGE), not
// from a table typed in here.
#ifndef STARTCHECK_LOCALES_H
#define STARTCHECK_LOCALES_H

#include <set>
#include <string>
#include <vector>

struct ReaderLocale {
    std::string display;  // "Language (Country)"
    std::string iso;      // ISO 639 code, upper case
    std::string section;  // "Message.XX" as the launcher builds it
    unsigned codePage;    // the ANSI code page; 0 for Unicode-only locales
};

void CollectLocales();

const std::vector<ReaderLocale>& AllLocales();

// The locales whose users get `section` (case ignored); with `iso`, only those
// of that language.
std::vector<const ReaderLocale*> LocalesOf(const std::string& section, const std::string& iso = "");

// The sections that users of an ISO language get.
std::set<std::string> SectionsOfLanguage(const std::string& iso);

// "German (Germany), German (Austria) and 3 more".
std::string DescribeLocales(const std::vector<const ReaderLocale*>& locales);

// The distinct ANSI code pages of `locales`, Unicode-only ones left out.
std::vector<unsigned> CodePagesOf(const std::vector<const ReaderLocale*>& locales);

// Only those of `locales` that read in `codePage`.
std::vector<const ReaderLocale*> InCodePage(const std::vector<const ReaderLocale*>& locales,
                                            unsigned codePage);

#endif
