"""Which Windows locale selects which language section, learnt from the platform:
locales.exe (winebed/helpers) lists Wine's locales with their abbreviated language
names and ANSI code pages. A section [Message.XX] is selected by every locale whose
abbreviated name begins with XX; it is rendered under one locale per ANSI code page
among them (CH and ZH each cover 936 and 950), the one with the lowest locale
identifier, that is the language's primary region. LC_ALL=<iso639>_<iso3166>.UTF-8
makes Wine pick that locale and its code page."""
import subprocess

import winebed

EVERY_OTHER = "every other language"


class Language:
    def __init__(self, code, section, lc_all, codepage, abbrev):
        self.code = code          # the section's code, or None for [Message] alone
        self.section = section    # "Message.DE" or "Message"
        self.lc_all = lc_all
        self.codepage = codepage  # the ANSI code page of the locale
        self.abbrev = abbrev      # the locale's abbreviated language name, as DEU

    @property
    def label(self):
        if self.code is None:
            return "[Message] (%s), shown under %s" % (EVERY_OTHER, self.lc_all)
        return "[%s] under %s (%s, code page %d)" % (self.section, self.lc_all, self.abbrev,
                                                    self.codepage)

    @property
    def slug(self):
        if self.code is None:
            return "message"
        return "%s-%d" % (self.code.lower(), self.codepage)

    @property
    def encoding(self):
        return "cp%d" % self.codepage

    def as_record(self):
        return {"code": self.code, "section": self.section, "locale": self.lc_all,
                "codepage": self.codepage, "abbrev": self.abbrev, "label": self.label}


def system_locales(bed):
    """[(lcid, abbrev, codepage, lc_all)] of the bed's Wine, from locales.exe."""
    exe = bed.winpath(winebed.WIN32 + "/helpers/locales.exe")
    out = subprocess.run(["wine", exe], env=bed.env(), stdin=subprocess.DEVNULL,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60).stdout
    found = []
    for line in out.decode("ascii", errors="replace").splitlines():
        parts = line.split()
        if len(parts) != 5 or not parts[2].isdigit() or "-" in (parts[3], parts[4]):
            continue
        found.append((int(parts[0], 16), parts[1], int(parts[2]), "%s_%s.UTF-8" % (parts[3], parts[4])))
    return sorted(found)


def choose(codes, locales):
    """The languages to render for the file's section codes. Returns (languages,
    unselected codes). [Message] comes last, under en_US when the file has no EN
    section, else under the first code page 1252 locale whose code has none."""
    languages, unselected = [], []
    for code in codes:
        by_codepage = {}
        for lcid, abbrev, codepage, lc_all in locales:
            if abbrev[:2].upper() == code and codepage and codepage not in by_codepage:
                by_codepage[codepage] = Language(code, "Message." + code, lc_all, codepage, abbrev)
        if by_codepage:
            languages.extend(by_codepage[cp] for cp in sorted(by_codepage))
        else:
            unselected.append(code)
    taken = set(codes)
    english = [l for l in locales if l[3] == "en_US.UTF-8"]
    others = [l for l in locales if l[2] == 1252 and l[1][:2].upper() not in taken]
    pick = english[0] if english and "EN" not in taken else (others[0] if others else None)
    if pick:
        languages.append(Language(None, "Message", pick[3], pick[2], pick[1]))
    return languages, unselected
