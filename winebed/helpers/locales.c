/*
 * locales.exe - lists the system's locales, one a line, as the launcher would
 * see each of them as its user default locale:
 *   <lcid hex> <abbreviated language name> <ANSI code page> <ISO 639> <ISO 3166>
 * Console program; writes to standard output. Locales without an ANSI code page
 * (Unicode-only ones) are listed with code page 0.
 */
#include <windows.h>
#include <stdio.h>

static BOOL CALLBACK list_locale(LPSTR text)
{
    char abbrev[16], cp[16], lang[16], country[16];
    LCID lcid = (LCID)strtoul(text, NULL, 16);
    if (!GetLocaleInfoA(lcid, LOCALE_SABBREVLANGNAME, abbrev, sizeof abbrev))
        return TRUE;
    if (!GetLocaleInfoA(lcid, LOCALE_IDEFAULTANSICODEPAGE, cp, sizeof cp))
        lstrcpyA(cp, "0");
    if (!GetLocaleInfoA(lcid, LOCALE_SISO639LANGNAME, lang, sizeof lang))
        lstrcpyA(lang, "-");
    if (!GetLocaleInfoA(lcid, LOCALE_SISO3166CTRYNAME, country, sizeof country))
        lstrcpyA(country, "-");
    printf("%04lx %s %s %s %s\n", (unsigned long)lcid, abbrev, cp, lang, country);
    return TRUE;
}

int main(void)
{
    EnumSystemLocalesA(list_locale, LCID_INSTALLED);
    return 0;
}
