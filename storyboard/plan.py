"""The screens that one language's users can see, and the runs of the launcher
that show each of them once.

A run fixes the Windows version, the exit code of each installer stand-in and the
answers to the boxes; `windows()` gives the windows that the launcher then shows,
in order, by the launcher's documented rules (questions with OK/Cancel, the DirectX
Media installer's exit-code table, the script engine's 0-or-stop). A question whose
text is missing shows the missing-entry box, which answers 0: the installer is then
not run, and the boxes after it cannot appear for that language."""

OLD_WINDOWS = "Windows 95, 98 and NT 4.0"
OLD_ENGINE = ("every Windows whose vbscript.dll is older than 4.0.0.0 or absent "
              "(Windows 95, 98 and NT 4.0 without a newer engine)")
EVERY_WINDOWS = "every Windows (95 to 11)"
OTHER_EXIT = 1  # stands for every exit code outside the table

# The DirectX Media installer's exit codes: (code, message key, the launch goes on).
DXMEDIA_TABLE = (
    (0, "Success", True),
    (3010, "SuccessAndRestart", False),
    (1150, "NT4sp3", False),
    (1321, "NotAdmin", False),
    (0x80004005, "Error", False),
    (OTHER_EXIT, "UnknownError", True),
)


def exit_text(code):
    if code == 0x80004005:
        return "0x80004005"
    if code == OTHER_EXIT:
        return "%d (any exit code outside the table)" % code
    return str(code)


class Facts:
    """What the disc's start.inf lets the launcher do, the same for every language."""

    def __init__(self, dxmedia, script, splash, dxmedia_version=600):
        self.dxmedia = dxmedia        # the DirectX Media question can come
        self.script = script          # the script engine question can come
        self.splash = splash          # the splash is switched on
        self.dxmedia_version = dxmedia_version


class Run:
    def __init__(self, dxmedia_exit, script_exit):
        self.dxmedia_exit = dxmedia_exit  # None: a run where the DirectX Media step skips
        self.script_exit = script_exit
        self.windows = []                 # [(screen id, what led there, Windows versions)]

    @property
    def winver(self):
        return "win98" if self.dxmedia_exit is not None else None

    def describe(self):
        parts = ["Windows 98" if self.winver else "the prefix's Windows"]
        if self.dxmedia_exit is not None:
            parts.append("DirectX Media installer ends with %s" % exit_text(self.dxmedia_exit))
        if self.script_exit is not None:
            parts.append("script engine installer ends with %d" % self.script_exit)
        return ", ".join(parts)


def windows(facts, has, dxmedia_exit, script_exit):
    """The windows of one run, in order: [(screen id, what led there, versions)].
    `has(key)` tells whether the language gets a text for the key."""
    shown = []
    if dxmedia_exit is not None:
        shown.append(("InstallDXMedia", "the DirectX Media step offers its installer (no "
                      "installation recorded, DXMediaVersion %d)" % facts.dxmedia_version,
                      OLD_WINDOWS))
        if has("InstallDXMedia"):
            for code, key, goes_on in DXMEDIA_TABLE:
                if code == dxmedia_exit:
                    shown.append((key, "the DirectX Media installer ended with %s"
                                  % exit_text(code), OLD_WINDOWS))
                    if not goes_on:
                        return shown
    if facts.script:
        shown.append(("InstallScript", "the script engine step offers its installer "
                      "(vbscript.dll older than 4.0.0.0)", OLD_ENGINE))
        if has("InstallScript") and script_exit:
            shown.append(("UnknownError", "the script engine installer ended with %d "
                          "(any exit code but 0)" % script_exit, OLD_ENGINE))
            return shown
    if facts.splash:
        shown.append(("splash", "every step went on: the presentation is loading",
                      EVERY_WINDOWS))
    return shown


def runs(facts, has):
    """The runs that show every screen of the language once: each run kept shows
    at least one screen that no earlier run showed."""
    candidates = []
    if facts.dxmedia:
        for code, _, _ in DXMEDIA_TABLE:
            # After the first run the script installer fails, so that a run
            # that goes on ends at its box instead of loading the presentation.
            candidates.append((code, 0 if code == 0 else OTHER_EXIT))
    if facts.script:
        candidates += [(None, 0), (None, OTHER_EXIT)]
    candidates.append((None, 0))
    kept, seen = [], set()
    for dxmedia_exit, script_exit in candidates:
        run = Run(dxmedia_exit, script_exit if facts.script else None)
        run.windows = windows(facts, has, dxmedia_exit, script_exit)
        if any(w[0] not in seen for w in run.windows):
            kept.append(run)
            seen.update(w[0] for w in run.windows)
    return kept
