#!/usr/bin/env python3
"""makedisc end to end: small presentation folders pressed into images with
tools/makedisc, read back with xorriso, signed with a throwaway certificate, and
one image run under Wine from a CD-ROM drive D:. Run by CTest with the test
bed's folder (its display is used; the prefix of the drive D: is its own)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from e2e import LauncherTest, bed, main, winebed, write_inf

sys.path.insert(0, winebed.ROOT)
from makedisc import trydisc  # noqa: E402

MAKEDISC = os.path.join(winebed.ROOT, "tools", "makedisc")
CHECK_LAUNCHER = os.path.join(winebed.ROOT, "tests", "binary", "check_launcher.py")
START_EXE = os.path.join(winebed.WIN32, "Start.exe")
FAKEPLAYER = os.path.join(winebed.WIN32, "helpers", "fakeplayer.exe")
DRIVETYPE = os.path.join(winebed.WIN32, "helpers", "drivetype.exe")
DRIVE_CDROM = 5
PASSWORD = "pw-7f3a-throwaway"
EPOCH = "1700000000"
CLEAN_INF = "[Start]\nopen=%splayer.exe %sshow.dat\n"
ISO_LEVEL1_NAME = re.compile(r"^[A-Z0-9_]{1,8}(\.[A-Z0-9_]{0,3})?(;1)?$")


def make_folder(root, name, files):
    """A presentation folder: files maps a relative path to bytes, to a
    start.inf text (for names ending in .inf), or to None for the player."""
    folder = os.path.join(root, name)
    os.makedirs(folder)
    for path, content in files.items():
        target = os.path.join(folder, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if content is None:
            shutil.copy(FAKEPLAYER, target)
        elif isinstance(content, str):
            write_inf(target, content)
        else:
            with open(target, "wb") as f:
                f.write(content)
    return folder


def sample_files(**more):
    files = {"start.inf": CLEAN_INF, "player.exe": None, "show.dat": b"slides\n",
             "Media/Intro Movie.mpg": b"\0movie" * 100, "Media/Deeper/clip.wav": b"RIFF...."}
    files.update(more)
    return files


def makedisc(*args, **env):
    environment = {k: v for k, v in os.environ.items()
                   if k not in ("SOURCE_DATE_EPOCH", "SIGN_PASSWORD")}
    environment.update(env)
    result = subprocess.run([sys.executable, MAKEDISC] + list(args), env=environment,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=300)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def xorriso(*args):
    return subprocess.run(["xorriso"] + list(args), stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120,
                          check=True).stdout.decode("utf-8", "replace")


def tree(iso, reading):
    """The image's paths as one reader sees them: "joliet" (Windows), "iso"
    (the plain ISO 9660 tree) or "rr" (Rock Ridge)."""
    options = {"joliet": ["-read_fs", "norock"], "iso": ["-read_fs", "ecma119"], "rr": []}
    listing = xorriso(*options[reading], "-indev", iso, "-find", "/")
    return sorted(re.findall(r"^'/(.+)'$", listing, re.M))


def volume_id(iso):
    return re.search(r"^Volume Id\s*: (.*)$", xorriso("-indev", iso, "-pvd_info"), re.M).group(1)


def extract(iso, folder):
    trydisc.extract(iso, folder)
    return {os.path.relpath(os.path.join(top, f), folder).replace(os.sep, "/")
            for top, _, files in os.walk(folder) for f in files}


def read(path):
    with open(path, "rb") as f:
        return f.read()


class MakeDiscTest(LauncherTest):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="makedisc-test-")

    def tearDown(self):
        trydisc.remove_tree(self.tmp)


class Contents(MakeDiscTest):
    def test_image_holds_the_folder_the_autorun_and_the_launcher(self):
        # The folder's own launcher (any case) is left out for the project's.
        folder = make_folder(self.tmp, "Demo", sample_files(**{"START.EXE": b"MZ old launcher"}))
        iso = os.path.join(self.tmp, "demo.iso")
        code, output = makedisc(folder, iso)
        self.assertEqual(0, code, output)
        self.assertIn("START.EXE: the folder's own is left out", output)
        self.assertIn("autorun.inf: written", output)
        self.assertIn("Findings\n  none", output)  # the checker's report is passed on

        files = extract(iso, os.path.join(self.tmp, "x"))
        expected = set(sample_files()) | {"Start.exe", "autorun.inf"}
        self.assertEqual(expected, files)
        for path in sample_files():
            self.assertEqual(read(os.path.join(folder, path)),
                             read(os.path.join(self.tmp, "x", path)), path)
        self.assertEqual(read(START_EXE), read(os.path.join(self.tmp, "x", "Start.exe")))
        self.assertEqual(b"[autorun]\r\nopen=Start.exe\r\nicon=Start.exe,0\r\nlabel=DEMO\r\n",
                         read(os.path.join(self.tmp, "x", "autorun.inf")))

        # Windows reads the names as written; the plain tree holds level-1 names.
        self.assertEqual(sorted(expected | {"Media", "Media/Deeper"}), tree(iso, "joliet"))
        plain = tree(iso, "iso")
        self.assertEqual(len(expected) + 2, len(plain), plain)
        for path in plain:
            for name in path.split("/"):
                self.assertRegex(name, ISO_LEVEL1_NAME)
        self.assertIn("Media/Intro Movie.mpg: not an 8.3 name (lower case, blanks, more than "
                      "8 characters before the dot)", output)
        self.assertNotIn("warning Start.exe", output)
        self.assertNotIn("warning autorun.inf", output)

    def test_label_rules(self):
        # (folder name, --label, volume label)
        cases = [
            ("disc", "sales kit", "SALES_KIT"),
            ("disc", "Product-Tour 2024", "PRODUCT_TOUR_20"),
            ("disc", "A" * 20, "A" * 15),
            ("disc", "Präsentation Köln", "PRASENTATION_KO"),
            ("disc", "Straße/#1!", "STRASSE1"),
            ("disc", "日本語", "DISC"),
            ("Spring Show 2024", None, "SPRING_SHOW_202"),
            ("SHOW_1", None, "SHOW_1"),
        ]
        for number, (name, given, expected) in enumerate(cases):
            with self.subTest(given or name):
                folder = make_folder(os.path.join(self.tmp, str(number)), name,
                                     {"start.inf": CLEAN_INF, "player.exe": None})
                iso = os.path.join(self.tmp, "%d.iso" % number)
                code, output = makedisc(folder, iso, *(["--label", given] if given else []))
                self.assertEqual(0, code, output)
                self.assertEqual(expected, volume_id(iso))
                extract(iso, os.path.join(self.tmp, "x%d" % number))
                self.assertIn(b"\r\nlabel=%s\r\n" % expected.encode(),
                              read(os.path.join(self.tmp, "x%d" % number, "autorun.inf")))
                self.assertEqual(expected != (given or name),
                                 ('"%s" becomes %s' % (given or name, expected)) in output, output)


class Refusals(MakeDiscTest):
    def test_refused_folders_leave_no_image(self):
        # (name, files of the folder, what the report says)
        cases = [
            ("start.inf error", {"start.inf": "[Start]\nopen=%sviewer.exe\n", "player.exe": None},
             "error   start.inf: the checker found errors"),
            ("no start.inf", {"player.exe": None}, "error   start.inf:"),
            ("autorun names a missing program",
             {"start.inf": CLEAN_INF, "player.exe": None,
              "autorun.inf": "[autorun]\nopen=setup.exe\nicon=setup.exe\n"},
             'open=setup.exe: the program "setup.exe" is not in the image'),
            ("autorun names a program in another folder",
             {"start.inf": CLEAN_INF, "player.exe": None,
              "AUTORUN.INF": "[AutoRun]\nOpen=bin\\player.exe\n"},
             'the program "bin/player.exe" is not in the image'),
            ("autorun names a file that is no program",
             {"start.inf": CLEAN_INF, "player.exe": None,
              "autorun.inf": "[autorun]\nopen=show.dat\n", "show.dat": b"x"},
             '"show.dat" is not a program'),
            ("autorun without open", {"start.inf": CLEAN_INF, "player.exe": None,
                                      "autorun.inf": "[autorun]\nicon=player.exe\n"},
             "has no open= in [autorun]"),
        ]
        for number, (name, files, message) in enumerate(cases):
            with self.subTest(name):
                root = os.path.join(self.tmp, "case%d" % number)
                folder = make_folder(root, "disc", files)
                out = os.path.join(root, "out")
                os.makedirs(out)
                code, output = makedisc(folder, os.path.join(out, "disc.iso"))
                self.assertEqual(1, code, output)
                self.assertIn(message, output)
                self.assertRegex(output, r"\d+ errors?, \d+ warnings?: no image written\n$")
                self.assertEqual([], os.listdir(out))

    def test_own_autorun_is_kept_when_it_starts_a_program_of_the_image(self):
        # Windows matches names without regard to case and adds .exe.
        cases = [
            "[autorun]\r\nopen=Start.exe\r\nlabel=Mine\r\n",
            "[AUTORUN]\r\nopen = \"PLAYER.EXE\" /full\r\n",
            "[autorun]\r\nopen=.\\media\\TOOL\r\n",
        ]
        for number, text in enumerate(cases):
            with self.subTest(text):
                root = os.path.join(self.tmp, "own%d" % number)
                folder = make_folder(root, "disc", {
                    "start.inf": CLEAN_INF, "player.exe": None, "Media/tool.exe": None})
                with open(os.path.join(folder, "Autorun.inf"), "wb") as f:
                    f.write(text.encode())
                iso = os.path.join(root, "disc.iso")
                code, output = makedisc(folder, iso)
                self.assertEqual(0, code, output)
                files = extract(iso, os.path.join(root, "x"))
                self.assertNotIn("autorun.inf", files)
                self.assertEqual(text.encode(), read(os.path.join(root, "x", "Autorun.inf")))


class Reproducible(MakeDiscTest):
    def test_same_folder_same_bytes(self):
        # The second copy has other file dates: only names and contents count.
        first = make_folder(os.path.join(self.tmp, "a"), "Show", sample_files())
        second = os.path.join(self.tmp, "b", "Show")
        shutil.copytree(first, second)
        later = time.time() + 86400
        for top, dirs, files in os.walk(second):
            for name in dirs + files:
                os.utime(os.path.join(top, name), (later, later))
        pfx = make_certificate(self.tmp)
        for signed in (False, True):
            with self.subTest(signed=signed):
                extra = ["--sign", pfx] if signed else []
                images = []
                for n, folder in enumerate((first, second)):
                    iso = os.path.join(self.tmp, "%s%d.iso" % (signed, n))
                    code, output = makedisc(folder, iso, *extra, SOURCE_DATE_EPOCH=EPOCH,
                                            SIGN_PASSWORD=PASSWORD)
                    self.assertEqual(0, code, output)
                    images.append(read(iso))
                self.assertEqual(images[0], images[1])
        self.assertNotEqual(read(os.path.join(self.tmp, "False0.iso")),
                            read(os.path.join(self.tmp, "True0.iso")))


def make_certificate(folder):
    """A throwaway code-signing certificate: returns the PFX file, whose
    password is PASSWORD; cert.pem beside it."""
    key, cert, pfx = (os.path.join(folder, n) for n in ("key.pem", "cert.pem", "test.pfx"))
    if not os.path.exists(pfx):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                        "-out", cert, "-days", "30", "-subj", "/CN=Makedisc Test",
                        "-addext", "keyUsage=critical,digitalSignature",
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True, timeout=60)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx,
                        "-passout", "env:SIGN_PASSWORD"], env=dict(os.environ, SIGN_PASSWORD=PASSWORD),
                       check=True, capture_output=True, timeout=60)
    return pfx


class Signing(MakeDiscTest):
    def test_signed_launcher_verifies_and_still_passes_the_binary_checks(self):
        pfx = make_certificate(self.tmp)
        folder = make_folder(self.tmp, "Signed", {"start.inf": CLEAN_INF, "player.exe": None})
        iso = os.path.join(self.tmp, "signed.iso")
        code, output = makedisc(folder, iso, "--sign", pfx, SIGN_PASSWORD=PASSWORD)
        self.assertEqual(0, code, output)
        self.assertNotIn(PASSWORD, output)
        self.assertIn("Start.exe: signed (SHA-256), without time-stamp", output)
        extract(iso, os.path.join(self.tmp, "x"))
        signed = os.path.join(self.tmp, "x", "Start.exe")
        self.assertNotEqual(read(START_EXE), read(signed))
        verify = subprocess.run(["osslsigncode", "verify", "-in", signed, "-CAfile",
                                 os.path.join(self.tmp, "cert.pem")],
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(0, verify.returncode, verify.stdout + verify.stderr)
        self.assertIn("Signature verification: ok", verify.stdout)
        self.assertIn("Message digest algorithm  : SHA256", verify.stdout)
        checks = subprocess.run([sys.executable, CHECK_LAUNCHER, signed], capture_output=True,
                                text=True, timeout=120)
        self.assertEqual(0, checks.returncode, checks.stderr)

    def test_signing_refusals(self):
        pfx = make_certificate(self.tmp)
        # (name, environment, message)
        cases = [
            ("wrong password", {"SIGN_PASSWORD": "not-" + PASSWORD}, "osslsigncode failed"),
            ("no password", {}, "SIGN_PASSWORD"),
        ]
        for number, (name, env, message) in enumerate(cases):
            with self.subTest(name):
                root = os.path.join(self.tmp, "case%d" % number)
                folder = make_folder(root, "disc", {"start.inf": CLEAN_INF, "player.exe": None})
                out = os.path.join(root, "out")
                os.makedirs(out)
                code, output = makedisc(folder, os.path.join(out, "disc.iso"), "--sign", pfx, **env)
                self.assertNotEqual(0, code, output)
                self.assertIn(message, output)
                self.assertNotIn(PASSWORD, output)
                self.assertEqual([], os.listdir(out))


class TryImage(MakeDiscTest):
    def test_image_on_a_cdrom_drive_starts_the_player_from_d(self):
        folder = make_folder(self.tmp, "Tour", {"start.inf": CLEAN_INF, "player.exe": None})
        iso = os.path.join(self.tmp, "tour.iso")
        code, output = makedisc(folder, iso)
        self.assertEqual(0, code, output)
        log = os.path.join(self.tmp, "try.log")
        try_root = os.path.join(bed().root, "try-bed")
        result = trydisc.try_image(iso, try_root, display=bed().display, timeout=30, log=lambda _: 0,
                                   env_extra={"STARTTEST_LOG": bed().winpath(log),
                                              "STARTTEST_PLAYER": "signal:500,linger:3000"})
        self.assertEqual(0, result.exit_code)
        with open(log, "rb") as f:
            lines = f.read().decode("cp1252").splitlines()
        players = [line.partition("cmdline=")[2] for line in lines if line.startswith("player start")]
        self.assertEqual(["D:\\player.exe D:\\show.dat"], players, lines)
        self.assertEqual(["D:\\player.exe D:\\show.dat"], result.players)

        # The drive that the launcher ran from is a CD-ROM drive.
        shutil.copy(DRIVETYPE, os.path.join(self.tmp, "drivetype.exe"))
        try_bed = winebed.WineBed(try_root).up(display=bed().display)
        try:
            drive_type = try_bed.run([try_bed.winpath(os.path.join(self.tmp, "drivetype.exe")),
                                      "D:\\"], timeout=60)
        finally:
            try_bed.down()
        self.assertEqual(DRIVE_CDROM, drive_type)


if __name__ == "__main__":
    main()
