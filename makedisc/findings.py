"""What makedisc tells the author: errors (no image is made), warnings (the
image is made, but something may not work as meant) and changes (what makedisc
did on its own)."""

ERROR = "error"
WARNING = "warning"
CHANGE = "changed"


class Findings:
    def __init__(self):
        self.items = []  # (severity, subject, text) in the order found

    def add(self, severity, subject, text):
        self.items.append((severity, subject, text))

    def error(self, subject, text):
        self.add(ERROR, subject, text)

    def warning(self, subject, text):
        self.add(WARNING, subject, text)

    def change(self, subject, text):
        self.add(CHANGE, subject, text)

    def of(self, severity):
        return [item for item in self.items if item[0] == severity]

    @property
    def has_errors(self):
        return bool(self.of(ERROR))

    def lines(self):
        """The findings as printed: changes first, then errors and warnings."""
        ordered = self.of(CHANGE) + self.of(ERROR) + self.of(WARNING)
        return ["  %-8s%s: %s" % (severity, subject, text) for severity, subject, text in ordered]
