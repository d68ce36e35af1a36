"""The volume label: the name that Windows shows for the disc, from Windows 95
to today, alike in the plain ISO 9660 tree, in Joliet and in autorun.inf.

Rules: at most 15 characters of A-Z, 0-9 and _. Letters are upper-cased and
lose their accents (e -> E, a-umlaut -> A, sharp s -> SS); blanks, hyphens and
dots become _, a run of them one _, and none is kept at either end; every other
character is dropped. A label with nothing left is DISC."""
import unicodedata

MAX_LENGTH = 15
ALLOWED = frozenset("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_")
SEPARATORS = frozenset(" \t-.")
FALLBACK = "DISC"


def volume_label(text):
    out = []
    for ch in unicodedata.normalize("NFKD", text):
        if unicodedata.combining(ch):
            continue
        if ch in SEPARATORS or ch.isspace():
            out.append("_")
            continue
        for c in ch.upper():
            if c in ALLOWED:
                out.append(c)
    label = "_".join(part for part in "".join(out).split("_") if part)
    label = label[:MAX_LENGTH].rstrip("_")
    return label or FALLBACK
