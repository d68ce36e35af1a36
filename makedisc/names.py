"""The names of the image's tree against what each reader of the disc sees.

The plain ISO 9660 level 1 tree (what a system without Joliet reads) holds 8.3
names of A-Z, 0-9 and _, directories of at most 8 such characters and no more
than 8 levels: xorriso shortens every other name there, and moves deeper
directories. Windows 95 and later read the Joliet tree instead, which keeps the
name as written up to 64 characters and a path of up to 240; longer names are
cut, and a file on a longer path is missing from it."""
import posixpath

D_CHARACTERS = frozenset("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_")
NOT_ON_WINDOWS = frozenset('\\:*?"<>|') | frozenset(chr(c) for c in range(32))
JOLIET_NAME = 64
JOLIET_PATH = 240
ISO_DEPTH = 8


def level1_faults(name, is_dir):
    """Why `name` does not fit ISO 9660 level 1 as it is; [] when it does."""
    faults = []
    if is_dir:
        base, ext = name, ""
        if "." in name:
            faults.append("a dot in a directory name")
    else:
        base, dot, ext = name.rpartition(".")
        if not dot:
            base, ext = name, ""
        if name.count(".") > 1:
            faults.append("more than one dot")
        elif dot and not base:
            faults.append("nothing before the dot")
    if any(c.islower() for c in name):
        faults.append("lower case")
    if " " in name:
        faults.append("blanks")
    others = sorted({c for c in name if c not in " ." and
                     not (c.isascii() and c.upper() in D_CHARACTERS)})
    if others:
        faults.append("characters outside A-Z 0-9 _: %s" % " ".join(others))
    if len(base) > 8:
        faults.append("more than 8 characters" + ("" if is_dir else " before the dot"))
    if len(ext) > 3:
        faults.append("more than 3 characters after the dot")
    return faults


def check(entries, findings, chosen=()):
    """entries: (path, is_dir) of everything in the image, paths relative to
    its root with / between the names; chosen: the names that makedisc itself
    puts there, which are spelt as every Windows expects them."""
    seen = {}
    deep = set()
    for path, is_dir in sorted(entries):
        name = posixpath.basename(path)
        folded = path.casefold()
        if folded in seen:
            findings.warning(path, "differs from %s only in case: Windows opens only one of them"
                             % seen[folded])
        else:
            seen[folded] = path
        bad = sorted({c for c in name if c in NOT_ON_WINDOWS})
        if bad:
            findings.warning(path, "holds %s, which Windows does not allow in a name: it cannot "
                             "open it" % " ".join(repr(c) for c in bad))
        faults = level1_faults(name, is_dir)
        if faults and path not in chosen:
            findings.warning(path, "not an 8.3 name (%s): the plain ISO 9660 tree changes it; "
                             "Windows reads the Joliet name as written" % ", ".join(faults))
        if len(name) > JOLIET_NAME:
            findings.warning(path, "a name of %d characters: Joliet keeps only the first %d"
                             % (len(name), JOLIET_NAME))
        if len(path) + 1 > JOLIET_PATH:
            findings.warning(path, "a path of %d characters: it is missing from the Joliet tree "
                             "that Windows reads (at most %d)" % (len(path) + 1, JOLIET_PATH))
        parts = path.split("/")
        if len(parts) > ISO_DEPTH:
            deep.add("/".join(parts[:ISO_DEPTH]))
    for path in sorted(deep):
        findings.warning(path, "holds names more than %d levels deep: the plain ISO 9660 tree "
                         "moves this directory elsewhere" % ISO_DEPTH)
