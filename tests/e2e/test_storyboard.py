#!/usr/bin/env python3
"""The storyboard (tools/storyboard) on small discs in the test bed: the screens
of each language, the texts read from the windows, the pictures, the "text cut"
marks, and that the disc folder is neither changed nor run. The disc's programs
are marker.exe copies, which leave a file in the Windows temp folder if started.
Run by CTest with the test bed's folder."""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile

from e2e import LauncherTest, bed, main, winebed

ROOT = winebed.ROOT
ALL_BOXES = ["InstallDXMedia", "Success", "InstallScript", "splash", "SuccessAndRestart",
             "NT4sp3", "NotAdmin", "Error", "UnknownError"]
KEYS = ["InstallDXMedia", "Success", "SuccessAndRestart", "NotAdmin", "Error", "InstallScript"]
LONG_DE = ("Bitte warten, die Pr\u00e4sentation wird geladen. Das kann auf langsamen Rechnern "
           "eine Weile dauern, denn es m\u00fcssen viele Dateien von der CD gelesen werden, "
           "bevor sie beginnen kann. Danke f\u00fcr Ihre Geduld!")
JP_SPLASH = "\u304a\u5f85\u3061\u304f\u3060\u3055\u3044..."
JP_QUESTION = "DirectX Media \u3092\u30a4\u30f3\u30b9\u30c8\u30fc\u30eb\u3057\u307e\u3059\u304b?"
TOO_LONG = "The installation failed. " * 12  # 300 bytes: the box shows 255

# The JP fixture: both installers on the disc, NT4sp3 in no section, a long German
# splash text, a 300-byte UnknownError, and a section that no locale selects.
JP_DISC = (b"[Start]\r\nDXMedia=dxm\\setup.exe /q\r\nScript=vbs\\scr56.exe /q\r\nopen=%splayer.exe\r\n"
           b"[Message]\r\n" + "".join("%s=Text of %s\r\n" % (k, k) for k in KEYS).encode() +
           b"UnknownError=" + TOO_LONG.encode() + b"\r\n" +
           b"[Message.DE]\r\nsplashtext=" + LONG_DE.encode("cp1252") + b"\r\nSuccess=Erfolg\r\n" +
           b"[Message.JP]\r\nsplashtext=" + JP_SPLASH.encode("cp932") +
           b"\r\nInstallDXMedia=" + JP_QUESTION.encode("cp932") + b"\r\n" +
           b"[Message.JA]\r\nsplashtext=x\r\n")
# A question with no text: its box is the missing-entry box, answered 0, so its
# installer never runs and no exit-code box can come; the splash is off.
NO_QUESTION_DISC = (b"[Start]\r\nDXMedia=setup.exe\r\nScript=setup.exe\r\nsplash=0\r\n"
                    b"[Message]\r\nUnknownError=Failed\r\n")
# Saved by an editor as UTF-8 with a byte-order mark: Wine would honour the mark,
# Windows reads the text byte for byte, so the splash shows the two bytes of the
# UTF-8 letter as two letters.
BOM_DISC = (b"\xef\xbb\xbf; the disc\r\n[Start]\r\nopen=%splayer.exe\r\n"
            b"[Message]\r\nsplashtext=Bitte w\xc3\xa4hlen\r\n")

DISCS = {
    "sample": (open(os.path.join(ROOT, "sample", "start.inf"), "rb").read(), ["player.exe"]),
    "jp": (JP_DISC, ["dxm/setup.exe", "vbs/scr56.exe", "player.exe"]),
    "noquestion": (NO_QUESTION_DISC, ["setup.exe"]),
    "bom": (BOM_DISC, ["player.exe"]),
}
# disc -> {language: [screens in the order first shown]}
SCREENS = {
    "sample": {"de-1252": ["splash"], "fr-1252": ["splash"], "message": ["splash"]},
    "jp": {"de-1252": ALL_BOXES, "jp-932": ALL_BOXES, "message": ALL_BOXES},
    "noquestion": {"message": ["InstallDXMedia", "InstallScript"]},
    "bom": {"message": ["splash"]},
}
MISSING = "Bad start.inf file"
# (disc, language, screen) -> (caption, text, text cut)
TEXTS = [
    ("sample", "de-1252", "splash", "Tarvello", "Bitte warten...", False),
    ("sample", "fr-1252", "splash", "Tarvello", "Veuillez patienter...", False),
    ("sample", "message", "splash", "Tarvello", "Please Wait...", False),
    ("jp", "jp-932", "splash", "Tarvello", JP_SPLASH, False),
    ("jp", "jp-932", "InstallDXMedia", "Tarvello", JP_QUESTION, False),
    ("jp", "jp-932", "Success", "Tarvello", "Text of Success", False),
    ("jp", "de-1252", "splash", "Tarvello", LONG_DE, True),
    ("jp", "de-1252", "Success", "Tarvello", "Erfolg", False),
    ("jp", "message", "NT4sp3", MISSING, "Missing entry 'NT4sp3'", False),
    ("jp", "message", "UnknownError", "Tarvello", TOO_LONG[:255], True),
    ("jp", "message", "SuccessAndRestart", "Tarvello", "Text of SuccessAndRestart", False),
    ("noquestion", "message", "InstallDXMedia", MISSING, "Missing entry 'InstallDXMedia'", False),
    ("noquestion", "message", "InstallScript", MISSING, "Missing entry 'InstallScript'", False),
    ("bom", "message", "splash", "Tarvello", "Bitte w\u00c3\u00a4hlen", False),
]


def tree_hashes(folder):
    hashes = {}
    for here, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(here, name)
            with open(path, "rb") as f:
                hashes[os.path.relpath(path, folder)] = hashlib.sha256(f.read()).hexdigest()
    return hashes


class Storyboard(LauncherTest):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="storyboard-test-")
        cls.started_log = os.path.join(bed().drive_c, "windows", "temp", "disc-program-started.log")
        if os.path.exists(cls.started_log):
            os.remove(cls.started_log)
        cls.records, cls.before, cls.after, cls.outputs = {}, {}, {}, {}
        for name, (inf, programs) in DISCS.items():
            disc = os.path.join(cls.work, name, "disc")
            os.makedirs(disc)
            with open(os.path.join(disc, "start.inf"), "wb") as f:
                f.write(inf)
            for program in programs + ["Start.exe"]:
                os.makedirs(os.path.dirname(os.path.join(disc, program)), exist_ok=True)
                shutil.copy(os.path.join(winebed.WIN32, "helpers", "marker.exe"),
                            os.path.join(disc, program))
            out = os.path.join(cls.work, name, "out")
            cls.before[name] = tree_hashes(disc)
            run = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "storyboard"),
                                  disc, out, "--bed", bed().root], timeout=300,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            cls.outputs[name] = (run.returncode, run.stdout.decode(errors="replace"))
            cls.after[name] = tree_hashes(disc)
            with open(os.path.join(out, "record.json"), encoding="utf-8") as f:
                cls.records[name] = json.load(f)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def languages(self, disc):
        return {l["slug"]: l for l in self.records[disc]["languages"]}

    def screen(self, disc, language, screen_id):
        return next(s for s in self.languages(disc)[language]["screens"] if s["id"] == screen_id)

    def test_the_run_succeeds_with_progress_lines(self):
        for disc, (code, output) in self.outputs.items():
            with self.subTest(disc):
                self.assertEqual(0, code, output)
                total = sum(len(s) for s in SCREENS[disc].values())
                self.assertIn("%d of %d: " % (total, total), output)

    def test_screens_of_each_language(self):
        for disc, expected in SCREENS.items():
            with self.subTest(disc):
                got = {slug: [s["id"] for s in l["screens"]]
                       for slug, l in self.languages(disc).items()}
                self.assertEqual(expected, got)

    def test_texts_read_from_the_windows(self):
        for disc, language, screen_id, caption, text, cut in TEXTS:
            with self.subTest(disc=disc, language=language, screen=screen_id):
                screen = self.screen(disc, language, screen_id)
                self.assertEqual((caption, text, cut),
                                 (screen.get("caption"), screen.get("text"), screen.get("cut")))

    def test_every_picture_is_its_window_and_not_blank(self):
        identify = shutil.which("identify", path="/usr/bin") or "identify"
        for disc in DISCS:
            out = os.path.join(self.work, disc, "out")
            for slug, language in self.languages(disc).items():
                for screen in language["screens"]:
                    with self.subTest(disc=disc, language=slug, screen=screen["id"]):
                        left, top, right, bottom = screen["rect"]
                        info = subprocess.run(
                            [identify, "-format", "%w %h %[fx:standard_deviation]",
                             os.path.join(out, screen["png"])],
                            stdout=subprocess.PIPE, check=True, timeout=60).stdout.split()
                        self.assertEqual([right - left, bottom - top], [int(v) for v in info[:2]])
                        self.assertGreater(float(info[2]), 0.01, "one flat colour")
                self.assertTrue(os.path.exists(os.path.join(out, language["sheet"])))

    def test_index_has_every_language_and_the_marks(self):
        with open(os.path.join(self.work, "jp", "out", "index.html"), encoding="utf-8") as f:
            page = f.read()
        for text in ("[Message.JP] under ja_JP.UTF-8", "[Message.DE] under de_DE.UTF-8",
                     "every other language", JP_QUESTION, "text cut",
                     "the DirectX Media installer ended with 1150", "[Message.JA]"):
            self.assertIn(text, page)
        self.assertEqual(["JA"], self.records["jp"]["unselected_sections"])

    def test_the_restart_is_refused(self):
        runs = [r for r in self.languages("jp")["message"]["runs"] if "3010" in r["run"]]
        self.assertEqual([(1, True)], [(r["launcher_exit"], r["restart_refused"]) for r in runs])

    def test_the_disc_is_unchanged_and_none_of_its_programs_ran(self):
        for disc in DISCS:
            with self.subTest(disc):
                self.assertEqual(self.before[disc], self.after[disc])
        started = open(self.started_log, errors="replace").read() \
            if os.path.exists(self.started_log) else ""
        self.assertEqual("", started)
        programs = [p for l in self.records["jp"]["languages"] for r in l["runs"]
                    for p in r["programs"]]
        self.assertIn("installer dxm\\setup.exe /q", programs)


if __name__ == "__main__":
    main()
