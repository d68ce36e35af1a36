"""autorun.inf: the one makedisc writes, and the check of one that the author
brought.

The written file holds only what Windows 95 reads: open= and icon= name the
launcher in the root, label= the volume label. It has no UseAutoPlay= line,
which would make later Windows ignore open=. Plain ASCII with CRLF line ends."""
import posixpath

NAME = "autorun.inf"
PROGRAM_EXTENSIONS = (".exe", ".com")


def generated(label):
    lines = ["[autorun]", "open=Start.exe", "icon=Start.exe,0", "label=" + label]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def read_section(data, section="autorun"):
    """{key (lower case): value} of one section, as the Windows profile
    functions read it: names without regard to case, the first of a key
    written twice, blanks around names and values dropped, and quotation marks
    around a whole value removed."""
    values = {}
    current = None
    for raw in data.decode("cp1252", errors="replace").splitlines():
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            current = line[1:line.index("]")].strip().lower() if "]" in line else None
            continue
        if current != section or "=" not in line:
            continue
        key, _, value = line.partition("=")
        value = value.strip()
        if len(value) >= 2 and value[0] == value[-1] == '"':
            value = value[1:-1]
        values.setdefault(key.strip().lower(), value)
    return values


def program_of(command):
    """The program that a command starts: the quoted text, or up to the first
    blank. Relative to the root of the disc, with / between names."""
    command = command.strip()
    if command.startswith('"'):
        program = command[1:].partition('"')[0]
    else:
        program = command.split(None, 1)[0] if command else ""
    program = program.replace("\\", "/")
    while program.startswith("./"):
        program = program[2:]
    return program.lstrip("/")


def find_in_image(program, files):
    """The image's file that Windows opens for `program` (case does not matter;
    a name without extension gets .exe or .com); None when there is none.
    files: {path.casefold(): path} of the image's files."""
    candidates = [program]
    if "." not in posixpath.basename(program):
        candidates += [program + ext for ext in PROGRAM_EXTENSIONS]
    for candidate in candidates:
        found = files.get(posixpath.normpath(candidate).casefold()) if candidate else None
        if found:
            return found
    return None


def check_own(name, data, files, findings):
    """Checks the author's autorun.inf (`name`, as found in the folder)."""
    values = read_section(data)
    command = values.get("open", "")
    if not command:
        findings.error(name, "has no open= in [autorun]: no Windows starts anything from the "
                       "disc (open=Start.exe starts the launcher)")
        return
    program = program_of(command)
    found = find_in_image(program, files)
    if found is None:
        findings.error(name, 'open=%s: the program "%s" is not in the image (names are '
                       "relative to the root of the disc)" % (command, program))
    elif not found.lower().endswith(PROGRAM_EXTENSIONS):
        findings.error(name, 'open=%s: "%s" is not a program' % (command, found))
    if values.get("useautoplay", "").strip() not in ("", "0"):
        findings.warning(name, "UseAutoPlay= makes Windows XP and later ignore open=; "
                         "Windows 95 and 98 still read it")
    icon = values.get("icon", "")
    if icon:
        icon_file = icon.rsplit(",", 1)[0] if "," in icon else icon
        if find_in_image(program_of('"%s"' % icon_file.strip()), files) is None:
            findings.warning(name, 'icon=%s: "%s" is not in the image' % (icon, icon_file.strip()))
