#include "locales.h"

#include <windows.h>

#include <cstdlib>

#include "inf_file.h"
#include "settings/settings_rules.h"

namespace {

std::vector<ReaderLocale> g_locales;

BOOL CALLBACK CollectLocale(LPSTR localeText)
{
    LCID locale = static_cast<LCID>(strtoul(localeText, NULL, 16));
    char abbreviation[6] = {0};
    char iso[16] = {0};
    char language[80] = {0};
    char country[80] = {0};
    char codePage[8] = {0};
    GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation);
    GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, iso, sizeof iso);
    GetLocaleInfoA(locale, LOCALE_SENGLANGUAGE, language, sizeof language);
    GetLocaleInfoA(locale, LOCALE_SENGCOUNTRY, country, sizeof country);
    GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage);
    abbreviation[5] = 0;
    char section[kSectionSize];
    BuildMessageSection(abbreviation, section, sizeof section);
    std::string display = std::string(language) + (country[0] ? " (" + std::string(country) + ")" : "");
    g_locales.push_back({display, Upper(iso), section,
                         static_cast<unsigned>(strtoul(codePage, NULL, 10))});
    return TRUE;
}

}  // namespace

void CollectLocales()
{
    g_locales.clear();
    EnumSystemLocalesA(CollectLocale, LCID_SUPPORTED);
}

const std::vector<ReaderLocale>& AllLocales()
{
    return g_locales;
}

std::vector<const ReaderLocale*> LocalesOf(const std::string& section, const std::string& iso)
{
    std::vector<const ReaderLocale*> found;
    for (const ReaderLocale& locale : g_locales)
        if (Upper(locale.section) == Upper(section) && (iso.empty() || locale.iso == iso))
            found.push_back(&locale);
    return found;
}

std::set<std::string> SectionsOfLanguage(const std::string& iso)
{
    std::set<std::string> sections;
    for (const ReaderLocale& locale : g_locales)
        if (!iso.empty() && locale.iso == iso)
            sections.insert(locale.section);
    return sections;
}

std::string DescribeLocales(const std::vector<const ReaderLocale*>& locales)
{
    std::set<std::string> names;
    for (const ReaderLocale* locale : locales)
        names.insert(locale->display);
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

std::vector<unsigned> CodePagesOf(const std::vector<const ReaderLocale*>& locales)
{
    std::set<unsigned> pages;
    for (const ReaderLocale* locale : locales)
        if (locale->codePage != 0)
            pages.insert(locale->codePage);
    return std::vector<unsigned>(pages.begin(), pages.end());
}

std::vector<const ReaderLocale*> InCodePage(const std::vector<const ReaderLocale*>& locales,
                                            unsigned codePage)
{
    std::vector<const ReaderLocale*> found;
    for (const ReaderLocale* locale : locales)
        if (locale->codePage == codePage)
            found.push_back(locale);
    return found;
}
