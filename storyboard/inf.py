"""start.inf as the launcher's profile lookups read it: section and key names
without regard to case, blanks around names and values dropped, a value wholly in
matching quotes loses them, only a ';' at the start of a line makes a comment, and
the first of two equal keys or sections wins. Values stay bytes: their code page is the
reader's."""
import re

TEXT_LIMIT = 255  # message and splash texts are cut after 255 bytes


class StartInf:
    def __init__(self, data):
        self.sections = {}  # upper-case name -> {lower-case key: bytes}
        self.section_names = []  # as written, in file order
        current = None
        for raw in data.split(b"\n"):
            line = raw.strip(b" \t\r")
            if not line or line.startswith(b";"):
                continue
            if line.startswith(b"["):
                end = line.find(b"]")
                name = (line[1:end] if end > 0 else line[1:]).strip().decode("latin-1")
                if name.upper() in self.sections:
                    current = {}  # a section written again is not read
                    continue
                self.sections[name.upper()] = {}
                self.section_names.append(name)
                current = self.sections[name.upper()]
                continue
            if current is None or b"=" not in line:
                continue
            key, _, value = line.partition(b"=")
            key = key.strip(b" \t").decode("latin-1").lower()
            value = value.strip(b" \t")
            if len(value) >= 2 and value[:1] in (b'"', b"'") and value[-1:] == value[:1]:
                value = value[1:-1]
            current.setdefault(key, value)

    @classmethod
    def read(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    def value(self, section, key):
        """The bytes of a key, or None when the section or the key is absent."""
        return self.sections.get(section.upper(), {}).get(key.lower())

    def start(self, key, default=""):
        value = self.value("Start", key)
        return value.decode("latin-1") if value else default

    def start_int(self, key, default):
        """An integer key as the platform reads one: the leading decimal digits
        (after an optional minus sign); the default when absent or empty."""
        text = self.start(key)
        if not text:
            return default
        m = re.match(r"-?\d+", text)
        return int(m.group(0)) if m else 0

    def language_codes(self):
        """The codes of the language sections, upper case, in file order: XX of
        every [Message.XX]."""
        return [name[len("Message."):].upper() for name in self.section_names
                if name.upper().startswith("MESSAGE.")]

    def text(self, code, key):
        """The text that a user of language `code` (None: a code without a
        section) gets for `key`: the language section's non-empty value, else
        [Message]'s; None when both give nothing (the missing-entry box)."""
        if code is not None:
            value = self.value("Message." + code, key)
            if value:
                return value
        value = self.value("Message", key)
        return value if value else None
