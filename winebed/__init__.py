"""The Wine test bed: one 32-bit Wine prefix, one X display (Xvfb when there is
none), one persistent wineserver, and the plumbing to run Windows programs in it
with a hard time-out, ending every process that a run started by its id.

Used by `make run` (tools/run-sample), by the end-to-end tests, by the storyboard
and by the benchmarks. The runner of the launcher (cases, logs, results) is
winebed.runner; the Win32 helpers that run inside the bed are in winebed/helpers."""
import json
import os
import shutil
import signal
import struct
import subprocess
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
WIN32 = os.path.join(BUILD, "win32")

# Registry settings of the prefix: no window manager needed (unmanaged windows do
# not wait for one), and a crashing program ends at once instead of showing
# Wine's crash dialog.
PREFIX_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
"""


def _base_env(prefix, display):
    env = {k: v for k, v in os.environ.items() if not k.startswith("STARTTEST_")}
    env.update({
        "WINEPREFIX": prefix,
        "WINEARCH": "win32",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree=d;mshtml=d;winemenubuilder.exe=d",
        "DISPLAY": display,
        "LC_ALL": "en_US.UTF-8",
    })
    return env


def unix_locales(name):
    """A folder of Unix locales in which `name` (say ja_JP.UTF-8) exists. Wine picks
    the Windows locale and ANSI code page from LC_ALL whether or not the Unix
    locale exists, but it converts non-ASCII file names only when setlocale()
    succeeds. A bare Debian has C.UTF-8 alone: the wanted name becomes a link to
    it, which is all that the file-name conversion (UTF-8) needs."""
    folder = os.path.join(BUILD, "locales")
    os.makedirs(folder, exist_ok=True)
    link = os.path.join(folder, name)
    if not os.path.lexists(link):
        for source in ("/usr/lib/locale/C.utf8", "/usr/lib/locale/C.UTF-8"):
            if os.path.isdir(source):
                try:
                    os.symlink(source, link)
                except FileExistsError:
                    pass
                break
    return folder


def _free_display():
    for number in range(90, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and \
                not os.path.exists("/tmp/.X%d-lock" % number):
            return number
    raise RuntimeError("no free X display number")


def _is_wine_service(pid):
    """Wine's own processes (the server, the desktop, services.exe, ...) may be
    started by whichever program of a run needs them first, and so carry its tag.
    They belong to the prefix, not to the run: killing the desktop of a prefix
    stalls every program started after it."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            argv0 = f.read().split(b"\0")[0].decode(errors="replace").lower()
    except OSError:
        return False
    name = argv0.replace("\\", "/").rsplit("/", 1)[-1]
    return argv0.startswith("c:\\windows\\") or name.startswith("wineserver") or \
        name in ("wineboot.exe", "wine", "wine-preloader")


def kill_tagged(tag):
    """Ends, by process id, every process whose environment carries `tag`
    (every Windows process of one run inherits it), but Wine's own services.
    Returns the ids ended."""
    needle = ("STARTTEST_RUN=%s" % tag).encode()
    ended = []
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                if needle not in f.read().split(b"\0"):
                    continue
            if _is_wine_service(int(name)):
                continue
            os.kill(int(name), signal.SIGKILL)
            ended.append(int(name))
        except (OSError, ProcessLookupError):
            pass
    return ended


class WineBed:
    """A prefix and a display. `up()` makes them; `attach()` reuses the ones that
    another process made (the CTest fixture)."""

    def __init__(self, root):
        self.root = root
        self.prefix = os.path.join(root, "prefix")
        self.state_file = os.path.join(root, "state.json")
        self.display = None
        self.xvfb_pid = None
        self.fbdir = None
        self._counter = 0

    # -- life cycle --------------------------------------------------------

    def up(self, fresh=False, use_own_display=True, display=None):
        os.makedirs(self.root, exist_ok=True)
        if display:
            self.display = display
        elif use_own_display or not os.environ.get("DISPLAY"):
            self._start_xvfb()
        else:
            self.display = os.environ["DISPLAY"]
        if fresh and os.path.isdir(self.prefix):
            shutil.rmtree(self.prefix)
        if not os.path.isdir(os.path.join(self.prefix, "drive_c", "windows")):
            self._make_prefix()
        # One wineserver for the whole run, so that every program start is quick.
        subprocess.Popen(["wineserver", "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         start_new_session=True).wait(timeout=30)
        with open(self.state_file, "w") as f:
            json.dump({"display": self.display, "xvfb_pid": self.xvfb_pid,
                       "fbdir": self.fbdir}, f)
        return self

    @classmethod
    def attach(cls, root):
        bed = cls(root)
        with open(bed.state_file) as f:
            state = json.load(f)
        bed.display, bed.xvfb_pid, bed.fbdir = state["display"], state["xvfb_pid"], state["fbdir"]
        return bed

    def down(self):
        try:
            subprocess.run(["wineserver", "-k"], env=self.env(), timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass
        if self.xvfb_pid:
            try:
                os.kill(self.xvfb_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass

    def _start_xvfb(self):
        number = _free_display()
        self.fbdir = os.path.join(self.root, "framebuffer")
        os.makedirs(self.fbdir, exist_ok=True)
        xvfb = subprocess.Popen(
            ["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-fbdir", self.fbdir],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        deadline = time.time() + 10
        while not os.path.exists("/tmp/.X11-unix/X%d" % number):
            if xvfb.poll() is not None or time.time() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        self.display = ":%d" % number
        self.xvfb_pid = xvfb.pid

    def _make_prefix(self):
        subprocess.run(["wineboot", "-i"], env=self.env(), timeout=300, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.import_registry(PREFIX_SETTINGS)

    def import_registry(self, text):
        """Imports a .reg file's text (REGEDIT4) into the prefix."""
        reg = os.path.join(self.root, "import.reg")
        with open(reg, "w") as f:
            f.write(text)
        subprocess.run(["wine", "regedit", "/S", self.winpath(reg)], env=self.env(), timeout=120,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # -- paths and environment ----------------------------------------------

    @property
    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def winpath(self, unix_path):
        """The Windows spelling of a Unix path: C:\\... inside the prefix's drive C,
        Z:\\... elsewhere."""
        unix_path = os.path.abspath(unix_path)
        drive_c = os.path.realpath(self.drive_c)
        real = os.path.realpath(unix_path) if os.path.exists(unix_path) else unix_path
        if real.startswith(drive_c + os.sep):
            return "C:\\" + real[len(drive_c) + 1:].replace("/", "\\")
        return "Z:" + unix_path.replace("/", "\\")

    def env(self, **extra):
        env = _base_env(self.prefix, self.display or os.environ.get("DISPLAY", ""))
        env.update({k: str(v) for k, v in extra.items()})
        env["LOCPATH"] = unix_locales(env["LC_ALL"])
        return env

    # -- running programs -----------------------------------------------------

    def start(self, args, env_extra=None, stderr=subprocess.DEVNULL):
        """Starts `wine args...` tagged as a run of its own; returns (process, tag).
        End it with `finish`. `stderr` may name a file for Wine's debug output."""
        self._counter += 1
        tag = "%d-%d-%d" % (os.getpid(), self._counter, int(time.time() * 1000) % 100000000)
        extra = dict(env_extra or {})
        extra["STARTTEST_RUN"] = tag
        process = subprocess.Popen(["wine"] + list(args), env=self.env(**extra),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=stderr)
        return process, tag

    def finish(self, process, tag, timeout):
        """Waits up to `timeout` seconds for `process`, then ends it and every
        process of its run by id. Returns the exit code, or None on time-out."""
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            code = None
        kill_tagged(tag)
        if process.poll() is None:
            process.kill()
            process.wait()
        return code

    def run(self, args, timeout, env_extra=None):
        process, tag = self.start(args, env_extra)
        return self.finish(process, tag, timeout)

    # -- screenshots ----------------------------------------------------------

    def screenshot(self, png_path):
        """Writes the Xvfb screen as a PNG. Only for a display that this bed started."""
        if not self.fbdir:
            return False
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as f:
            data = f.read()
        write_png_from_xwd(data, png_path)
        return True


def write_png_from_xwd(data, png_path):
    """Converts the 24/32-bit XWD image that Xvfb keeps in its -fbdir into a PNG."""
    header_size, = struct.unpack(">I", data[0:4])
    fields = struct.unpack(">25I", data[0:100])
    width, height = fields[4], fields[5]
    bits_per_pixel, bytes_per_line = fields[11], fields[12]
    ncolors = fields[19]
    offset = header_size + ncolors * 12
    if bits_per_pixel != 32:
        raise ValueError("unexpected XWD depth %d" % bits_per_pixel)
    byte_order = fields[7]  # 0: LSBFirst
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * 4]
        row = bytearray(b"\0")
        if byte_order == 0:
            for x in range(0, width * 4, 4):
                row += bytes((line[x + 2], line[x + 1], line[x]))
        else:
            for x in range(0, width * 4, 4):
                row += bytes((line[x + 1], line[x + 2], line[x + 3]))
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows), 6)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + \
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) + \
        chunk(b"IDAT", raw) + chunk(b"IEND", b"")
    with open(png_path, "wb") as f:
        f.write(png)
