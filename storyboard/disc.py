"""The scratch copy of a disc folder inside the bed's drive C, in which the
launcher runs: the project's Start.exe in place of the disc's, the fake installer
in place of each installer program that [Start] names, and the fake player in
place of the presentation player. The disc folder itself is only read."""
import os
import shutil

import winebed

INSTALLER_KEYS = ("DirectX", "DXMedia", "Script")


def program_of(command):
    """The program path of an installer command: the text before its first blank."""
    return command.split(" ", 1)[0]


def find(root, winpath):
    """The file that a relative Windows path names under `root`, matching names
    without regard to case as Windows does; None when there is none."""
    here = root
    for part in [p for p in winpath.replace("/", "\\").split("\\") if p not in ("", ".")]:
        if part == ".." or not os.path.isdir(here):
            return None
        names = {n.lower(): n for n in os.listdir(here)}
        if part.lower() not in names:
            return None
        here = os.path.join(here, names[part.lower()])
    return here if os.path.isfile(here) else None


def is_absolute(winpath):
    return winpath[1:2] == ":" or winpath.startswith("\\")


class Scratch:
    def __init__(self, bed, disc_dir, inf):
        self.bed = bed
        self.folder = os.path.join(bed.drive_c, "sb", "disc")
        shutil.rmtree(os.path.join(bed.drive_c, "sb"), ignore_errors=True)
        shutil.copytree(disc_dir, self.folder, symlinks=False)
        for name in os.listdir(self.folder):
            if name.lower() == "start.exe":
                os.remove(os.path.join(self.folder, name))
        self.exe = os.path.join(self.folder, "Start.exe")
        shutil.copy(os.path.join(winebed.WIN32, "Start.exe"), self.exe)
        self.installers = {}  # [Start] key -> path under the folder, as Windows spells it
        self.notes = []
        self._read_as_windows()
        for key in INSTALLER_KEYS:
            command = inf.start(key)
            if not command:
                continue
            program = program_of(command)
            found = None if is_absolute(program) else find(self.folder, program)
            if found is None:
                self.notes.append("[Start] %s: the program %s is not on the disc: the launcher "
                                  "finds no installer and asks nothing" % (key, program or "(empty)"))
                continue
            shutil.copy(os.path.join(winebed.WIN32, "helpers", "fakeinstaller.exe"), found)
            self.installers[key] = os.path.relpath(found, self.folder).replace("/", "\\")
        self.player = self._replace_player(inf.start("open"))

    def _read_as_windows(self):
        """Wine's profile functions honour a UTF-8 byte-order mark; Windows takes
        its three bytes as text of line 1, so a section header there is not one.
        With an empty line in front the mark is no longer at the start of the
        file, and Wine reads it as Windows does: the pictures show what Windows
        shows. A UTF-16 file reads as Unicode on Windows 2000 and later, as it
        does under Wine, and as nothing on the systems before."""
        path = find(self.folder, "start.inf")
        if path is None:
            return
        with open(path, "rb") as f:
            data = f.read()
        if data.startswith(b"\xef\xbb\xbf"):
            with open(path, "wb") as f:
                f.write(b"\r\n" + data)
            self.notes.append("start.inf begins with a UTF-8 byte-order mark, which Windows "
                              "reads as text of line 1: the pictures show what Windows shows")
        elif data.startswith((b"\xff\xfe", b"\xfe\xff")):
            self.notes.append("start.inf is UTF-16: Windows 95, 98, Me and NT 4.0 read nothing "
                              "from it; the pictures show Windows 2000 and later")

    @property
    def windir(self):
        return self.bed.winpath(self.folder)

    def _replace_player(self, command):
        """Puts the fake player where the expanded presentation command's program
        is, when that lies in the disc folder; returns its path there."""
        if not command:
            return None
        expanded = command.replace("%%", "\0").replace("%s", self.windir + "\\").replace("\0", "%")
        if expanded.startswith('"'):
            program = expanded[1:].split('"', 1)[0]
        else:
            program = expanded.split(" ", 1)[0]
        root = self.windir.lower() + "\\"
        if program.lower().startswith(root):
            relative = program[len(root):]
        elif not is_absolute(program):
            relative = program  # WinExec looks in the launcher's folder first
        else:
            self.notes.append("[Start] open: the player %s lies outside the disc: nothing "
                              "signals the splash's end" % program)
            return None
        target = find(self.folder, relative) or os.path.join(
            self.folder, *[p for p in relative.split("\\") if p])
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(os.path.join(winebed.WIN32, "helpers", "fakeplayer.exe"), target)
        return os.path.relpath(target, self.folder).replace("/", "\\")

    def exits(self, dxmedia_exit, script_exit):
        """STARTTEST_EXITS for a run: each installer stand-in's exit code by its path."""
        codes = {"DirectX": 0, "DXMedia": dxmedia_exit or 0, "Script": script_exit or 0}
        return ";".join("%s=%d" % (path, codes[key]) for key, path in self.installers.items())
