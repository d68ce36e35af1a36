"""Trying an image before it is pressed: the image is extracted, mapped under
Wine as the CD-ROM drive D: of a prefix of its own, and D:\\Start.exe is
started the way AutoPlay starts a disc's open= program, with D:\\ as the current
folder. Every run has a hard time-out, and every process it started is ended by
its id afterwards."""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, ROOT)
import winebed  # noqa: E402

DRIVE = "d:"
LAUNCHER = "D:\\Start.exe"
SPLASH_AFTER = 0.5  # seconds after the player's start
TIMEOUT = 30


class TryError(Exception):
    pass


def _writable(function, path, _):
    os.chmod(os.path.dirname(path), 0o755)
    if os.path.isdir(path) and not os.path.islink(path):
        os.chmod(path, 0o755)
    function(path)


def remove_tree(path):
    """Removes a tree extracted from an image, whose folders are read-only."""
    if os.path.lexists(path):
        shutil.rmtree(path, onerror=_writable)


def extract(iso, folder):
    remove_tree(folder)
    result = subprocess.run(["xorriso", "-osirrox", "on", "-indev", iso, "-extract", "/", folder],
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=300)
    if result.returncode != 0:
        raise TryError("xorriso could not extract %s:\n%s" % (
            iso, result.stdout.decode("utf-8", "replace").rstrip()))


def map_cdrom(bed, folder):
    """Makes `folder` the prefix's drive D:, of type CD-ROM. Wine's mount
    manager reads the drive types when it starts: the prefix's server is ended
    afterwards, so that the next program finds the new drive."""
    link = os.path.join(bed.prefix, "dosdevices", DRIVE)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.path.abspath(folder), link)
    bed.import_registry('REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n'
                        '"%s"="cdrom"\n' % DRIVE)
    subprocess.run(["wineserver", "-k"], env=bed.env(), timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=bed.env(), timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.Popen(["wineserver", "-p"], env=bed.env(), stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                     start_new_session=True).wait(timeout=30)


WINDOWS_PATH = re.compile(r"[A-Za-z]:\\|\\\\")


def windows_commands(tag):
    """The command lines of the Windows programs of one run (by its tag), but
    Wine's own and the launcher's: what the launcher started."""
    needle = ("STARTTEST_RUN=%s" % tag).encode()
    found = []
    for name in sorted(os.listdir("/proc"), key=lambda n: int(n) if n.isdigit() else 0):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                if needle not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % name, "rb") as f:
                argv = [a.decode("utf-8", "replace") for a in f.read().split(b"\0") if a]
        except OSError:
            continue
        # Only Windows programs: Wine shows their Windows path as argv[0]. The
        # Unix side of a start (the wine script under /bin/sh, the preloader)
        # carries the tag too, for a moment.
        if not argv or not WINDOWS_PATH.match(argv[0]) or winebed._is_wine_service(int(name)):
            continue
        program = argv[0].rsplit("\\", 1)[-1].lower()
        if program == "start.exe":
            continue
        found.append(" ".join(argv))
    return found


class TryResult:
    def __init__(self):
        self.exit_code = None   # the launcher's, None when it did not end in time
        self.seconds = None     # until it ended
        self.players = []       # command lines of the programs it started
        self.splash_png = None
        self.player_png = None


def try_image(iso, bed_root, display=None, env_extra=None, timeout=TIMEOUT, log=print):
    """Extracts `iso` into bed_root/disc, maps it as D: in the prefix at
    bed_root and runs D:\\Start.exe. Uses `display` when given, else $DISPLAY,
    else an Xvfb of its own (then with screenshots of the splash and the
    player). env_extra: environment of the launcher and what it starts."""
    bed = winebed.WineBed(bed_root)
    disc = os.path.join(bed_root, "disc")
    os.makedirs(bed_root, exist_ok=True)
    extract(iso, disc)
    if display:
        bed.up(display=display)
    else:
        bed.up(use_own_display=not os.environ.get("DISPLAY"))
    result = TryResult()
    try:
        log("try: %s extracted to %s, mapped as CD-ROM drive D: (display %s)"
            % (iso, disc, bed.display))
        map_cdrom(bed, disc)
        log("try: starting %s with D:\\ as the current folder" % LAUNCHER)
        started = time.time()
        process, tag = bed.start(["start", "/wait", "/d", "D:\\", LAUNCHER], env_extra)
        try:
            # The splash is up from before the player starts until the player
            # is ready: a player that loads slowly shows it.
            while process.poll() is None and time.time() < started + timeout:
                result.players = windows_commands(tag)
                if result.players:
                    break
                time.sleep(0.1)
            if bed.fbdir and process.poll() is None:
                time.sleep(SPLASH_AFTER)
                if process.poll() is None:
                    result.splash_png = os.path.join(bed_root, "splash.png")
                    bed.screenshot(result.splash_png)
            try:
                result.exit_code = process.wait(timeout=max(0.1, timeout - (time.time() - started)))
                result.seconds = time.time() - started
            except subprocess.TimeoutExpired:
                pass
            deadline = time.time() + 5
            while not result.players and time.time() < deadline:
                result.players = windows_commands(tag)
                time.sleep(0.1)
            if bed.fbdir:
                time.sleep(0.5)
                result.player_png = os.path.join(bed_root, "player.png")
                bed.screenshot(result.player_png)
        finally:
            bed.finish(process, tag, timeout=0)
    finally:
        bed.down()
    return result
