#!/usr/bin/env python3
"""The start.inf checker: a table of small start.inf fixtures, each with the
finding it must produce and the exit code. Run by CTest with the test bed's
folder."""
import json
import os
import shutil
import subprocess

from e2e import LauncherTest, bed, main, winebed, write_inf

CHECKER = os.path.join(winebed.WIN32, "startcheck.exe")
MESSAGES = "[Message]\n" + "".join("%s=text\n" % k for k in (
    "InstallDXMedia", "Success", "SuccessAndRestart", "NotAdmin", "NT4sp3", "Error",
    "UnknownError", "InstallScript"))
PLAYER = "[Start]\nopen=%splayer.exe\n"
PLAYER_EXE = os.path.join(winebed.WIN32, "helpers", "fakeplayer.exe")
# The first bytes of a compound document, as an .msi package begins.
MSI = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 504
SYSTEM32 = "C:/windows/system32/"


class Raw(bytes):
    """A start.inf written byte for byte (no line-end conversion)."""

# (name, start.inf, files to put beside it, exit code, findings expected in the
# report[, options]). A file is a path (a copy of a real small program) or (path,
# bytes); a path under SYSTEM32 goes into the checking machine's system folder.
# Options: "folder" names the disc folder, "lang" the checker's locale, "absent"
# lists texts the report must not hold.
CASES = [
    ("missing message text", "[Start]\nDXMedia=setup.exe /q\n[Message]\nInstallDXMedia=Install?\n",
     ["setup.exe"], 1,
     ["error   [Message] Success: no text in [Message]: every user sees the missing-entry box",
      "[Message] NotAdmin: no text"]),
    ("missing only for one language",
     "[Start]\nScript=setup.exe\n[Message.DE]\nInstallScript=\n[Message.EN]\nInstallScript=Go?\n"
     "UnknownError=x\n", ["setup.exe"], 1,
     ["[Message] InstallScript: no text in [Message] nor in [Message.DE]: every user but those "
      "of [Message.EN] sees the missing-entry box"]),
    ("installer path cut at a blank", "[Start]\nDXMedia=dx media\\setup.exe /q\n" + MESSAGES,
     ["dx media/setup.exe"], 1,
     ['program path cut at a blank: the launcher looks for "dx"']),
    ("installer path in quotation marks", '[Start]\nScript="setup.exe" /q\n' + MESSAGES,
     ["setup.exe"], 1, ["is in quotation marks"]),
    ("installer path begins with a blank", "[Start]\nScript=' setup.exe'\n" + MESSAGES,
     ["setup.exe"], 1, ["begins with a blank"]),
    ("missing installer", "[Start]\nScript=nowhere\\setup.exe\n" + MESSAGES, [], 1,
     ['[Start] Script: program "nowhere\\setup.exe" not found']),
    ("missing DirectX installer", "[Start]\nDirectX=dx\\dxsetup.exe /silent\n", [], 1,
     ['[Start] DirectX: program "dx\\dxsetup.exe" not found']),
    ("ISO code of Japanese", "[Start]\n[Message]\nsplashtext=Wait\n[Message.JA]\nsplashtext=x\n",
     [], 1, ['[Message.JA]: no Windows language selects this section', "users get [Message.JP]"]),
    # Windows gives CHS and CHT in China and Taiwan, but ZHH, ZHI and ZHM in
    # Hong Kong, Singapore and Macao: both sections are needed.
    ("Chinese in one section only", "[Start]\n[Message.CH]\nsplashtext=x\n", [], 0,
     ["warning [Message.CH]: Chinese (", "users get [Message.ZH], which this file lacks"]),
    ("text longer than its buffer", "[Start]\n[Message]\nsplashtext=" + "w" * 300 + "\n", [], 0,
     ["warning [Message] splashtext: is 300 bytes long; the launcher keeps only the first 255"]),
    ("installer command longer than its buffer",
     "[Start]\nDirectX=setup.exe " + "a" * 300 + "\n", ["setup.exe"], 0,
     ["[Start] DirectX: is 310 bytes long; the launcher keeps only the first 259"]),
    ("version not a plain number", "[Start]\nDXMedia=setup.exe\nDXMediaVersion=6.1\n" + MESSAGES,
     ["setup.exe"], 0, ['[Start] DXMediaVersion: "6.1" is not a plain decimal number; the '
                        'launcher reads 6']),
    ("splash switch not a number", "[Start]\nsplash=off\n", [], 0,
     ['[Start] splash: "off" is not a plain decimal number; the launcher reads 0']),
    ("other conversions in open", PLAYER.replace(".exe", ".exe %d %n"), ["player.exe"], 0,
     ["[Start] open: holds %d, %n"]),
    ("expansion too long", "[Start]\nopen=%splayer.exe" + " %s" * 40 + "\n", ["player.exe"], 1,
     ["expands to more than 511 bytes for this folder", "the longest folder that still fits is"]),
    ("presentation program missing", "[Start]\nopen=%sviewer.exe %sshow.dat\n", [], 1,
     ["[Start] open: program", "viewer.exe\" not found"]),
    ("whole open value quoted", "[Start]\nopen=\"%splayer.exe x\"\n", ["player.exe"], 0,
     ["the quotation marks around the whole value are removed"]),
    ("key typos", "[Start]\nDXMeida=setup.exe\n[Message]\nSucess=Done\n", [], 0,
     ["[Start] DXMeida: is not a key the launcher reads (line 2); did you mean DXMedia?",
      "[Message] Sucess: is not a key the launcher reads (line 4); did you mean Success?"]),
    ("keys and sections written twice",
     "[Start]\nsplash=1\nsplash=0\n[Message]\nsplashtext=a\n[message]\nsplashtext=b\n", [], 0,
     ["[Start] splash: written twice (lines 2 and 3): the first one wins",
      "[message]: written twice (lines 4 and 6)"]),
    ("no start.inf", None, [], 1, ["cannot read"]),

    # Encodings, decided from the bytes as Windows reads them.
    ("byte-order mark before [Start] on line 1", b"\xef\xbb\xbf" + PLAYER.encode(),
     ["player.exe"], 1,
     ["error   [Start]: the file begins with a UTF-8 byte-order mark", "is never found",
      "open            (not set: nothing is started)"]),
    ("byte-order mark before a comment line", b"\xef\xbb\xbf; the disc\n" + PLAYER.encode(),
     ["player.exe"], 0, ["warning line 1: the file begins with a UTF-8 byte-order mark"],
     {"absent": ["\nerror"]}),
    ("UTF-16 LE", Raw(("\ufeff" + PLAYER).replace("\n", "\r\n").encode("utf-16-le")),
     ["player.exe"], 1, ["the file is UTF-16: Windows 95, 98, Me and NT 4.0"]),
    ("NUL byte", Raw(b"[Start]\r\nopen=%splayer.exe\0\r\n"), ["player.exe"], 1,
     ["holds a NUL byte (offset 26)"]),
    ("UTF-8 German text", (PLAYER + "[Message.DE]\nsplashtext=Bitte wählen\n").encode("utf-8"),
     ["player.exe"], 0,
     ["warning [Message.DE] splashtext: is written in UTF-8, but German (", "code page 1252 and "
      "see \"Bitte wÃ¤hlen\""]),
    ("German text in code page 1252", PLAYER + "[Message.DE]\nsplashtext=Bitte wählen\n",
     ["player.exe"], 0, ['splashtext         "Bitte wählen"', "0 errors, 0 warnings"]),
    ("JP section in Windows-1252", PLAYER + "[Message.JP]\nsplashtext=Menü\n", ["player.exe"], 1,
     ["error   [Message.JP] splashtext: holds bytes that are not text in code page 932: "
      "Japanese (Japan) users see"]),
    ("JP section in code page 932",
     (PLAYER + "[Message.JP]\nsplashtext=お待ちください\n").encode("cp932"), ["player.exe"], 0,
     ['[Message.JP] (Japanese (Japan); code page 932)\n    splashtext         "お待ちください"',
      "0 errors, 0 warnings"]),
    # CH serves Chinese (PRC) in code page 936 and Chinese (Taiwan) in 950.
    ("Chinese section in code page 936 only",
     (PLAYER + "[Message.CH]\nsplashtext=请稍候\n[Message.ZH]\nsplashtext=x\n").encode("gbk"),
     ["player.exe"], 0,
     ["warning [Message.CH] splashtext: is read in code pages 936 and 950, in which it reads "
      'differently: Chinese (Simplified) (China) users see "请稍候", Chinese (Traditional) '
      '(Taiwan) users see "', '緊"']),
    ("non-ASCII text in [Message]", PLAYER + "[Message]\nsplashtext=Bitte wählen\n",
     ["player.exe"], 0,
     ['warning [Message] splashtext: non-ASCII text', '"Bitte wählen" in code page 1252 reads '
      'differently in code pages 874, 932, 936, 949, 950'], {"absent": ["\nerror"]}),
    ("[Message] in UTF-8", (PLAYER + "[Message]\nsplashtext=Bitte wählen\n").encode("utf-8"),
     ["player.exe"], 0,
     ["warning [Message] splashtext: is written in UTF-8", 'and see "Bitte wÃ¤hlen"']),
    ("empty file", b"", [], 1, ["error   start.inf: the file is empty"]),
    ("no [Start] section", "[Message]\nsplashtext=Wait\n", [], 1,
     ["error   [Start]: no [Start] section"]),
    ("no open", "[Start]\nsplash=1\n", [], 0,
     ["warning [Start] open: is not set: the disc starts nothing"]),
    ("inline comment", "[Start]\nopen=%splayer.exe ; the show\n", ["player.exe"], 0,
     ['warning [Start] open: "; the show" is not a comment', '"%splayer.exe ; the show"']),

    # Programs: whether the launcher can start them, and from where.
    ("MSI package as the DirectX Media installer",
     "[Start]\nDXMedia=dxm.msi /q\nopen=%splayer.exe\n" + MESSAGES, [("dxm.msi", MSI), "player.exe"],
     1, ['error   [Start] DXMedia: "', 'dxm.msi" is an MSI package, not a program',
         "the box UnknownError is shown and the launch goes on"]),
    ("text file as the player", PLAYER, [("player.exe", b"not a program\r\n")], 1,
     ['player.exe" is not a program (no MZ header): CreateProcessA cannot start it, so nothing '
      'starts']),
    ("wildcard in the script installer's path", "[Start]\nScript=setup*.exe\n" + MESSAGES,
     ["setup1.exe"], 1,
     ['error   [Start] Script: program path "setup*.exe" holds a wildcard',
      "the box UnknownError is shown and the launch stops (exit code 1)"]),
    ("batch file as the presentation", "[Start]\nopen=%splay.bat\n",
     [("play.bat", b"@echo off\r\n")], 0,
     ['warning [Start] open: "', 'play.bat" is a BAT file', "Windows 95 and 98 may not start"]),
    ("program only in the checking machine's system folder", "[Start]\nopen=onlyhere.exe\n",
     [SYSTEM32 + "onlyhere.exe"], 0,
     ['warning [Start] open: "C:\\windows\\system32\\onlyhere.exe" is not on the disc',
      "the customer's machine may not have it"]),
    # 表 is 95 5C in code page 932: its second byte is a backslash.
    ("Japanese folder ending in a 0x5C trail byte", PLAYER, ["player.exe"], 0,
     ["表\\start.inf", "0 errors, 0 warnings"], {"folder": "表", "lang": "ja_JP.UTF-8"}),
    ("non-ASCII folder in the presentation's path", "[Start]\nopen=%sPräsentation\\player.exe\n",
     ["Präsentation/player.exe"], 0,
     ["warning [Start] open: holds non-ASCII characters, which users of code pages 874, 932"]),
    ("whole open value in single quotation marks", "[Start]\nopen='%splayer.exe x'\n",
     ["player.exe"], 0, ["[Start] open: the quotation marks around the whole value are removed"]),
]


def run_checker(folder, lang="en_US.UTF-8", json=False):
    result = subprocess.run(["wine", CHECKER] + (["--json"] if json else []) +
                            [bed().winpath(folder)], env=bed().env(LC_ALL=lang),
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.returncode, result.stdout.decode("utf-8").replace("\r\n", "\n")


class StartCheck(LauncherTest):
    def test_sample_presentation_is_clean(self):
        folder = os.path.join(bed().drive_c, "t", "check", "sample")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(os.path.join(winebed.ROOT, "sample", "start.inf"), folder)
        shutil.copy(os.path.join(winebed.WIN32, "sample", "player.exe"), folder)
        code, report = run_checker(folder)
        self.assertEqual(0, code, report)
        self.assertIn("Findings\n  none\n\n0 errors, 0 warnings", report)

    def test_findings_table(self):
        for number, (name, inf, files, exit_code, expected, *options) in enumerate(CASES):
            options = options[0] if options else {}
            with self.subTest(name):
                folder = os.path.join(bed().drive_c, "t", "check", "case%d" % number,
                                      options.get("folder", "disc"))
                shutil.rmtree(os.path.dirname(folder), ignore_errors=True)
                os.makedirs(folder)
                placed = self.place(folder, inf, files)
                try:
                    code, report = run_checker(folder, options.get("lang", "en_US.UTF-8"))
                finally:
                    for path in placed:
                        os.remove(path)
                self.assertEqual(exit_code, code, report)
                for finding in expected:
                    self.assertIn(finding, report)
                for text in options.get("absent", []):
                    self.assertNotIn(text, report)
                self.assertRegex(report, r"\n\d+ errors?, \d+ warnings?\n$")

    def place(self, folder, inf, files):
        """Writes the case's start.inf and files; returns those placed outside
        the folder, to be removed after the run."""
        if isinstance(inf, Raw):
            with open(os.path.join(folder, "start.inf"), "wb") as f:
                f.write(inf)
        elif inf is not None:
            write_inf(os.path.join(folder, "start.inf"), inf)
        outside = []
        for item in files:
            path, data = item if isinstance(item, tuple) else (item, None)
            if path.startswith(SYSTEM32):
                target = os.path.join(bed().drive_c, "windows", "system32", path[len(SYSTEM32):])
                outside.append(target)
            else:
                target = os.path.join(folder, path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if data is None:
                shutil.copy(PLAYER_EXE, target)
            else:
                with open(target, "wb") as f:
                    f.write(data)
        return outside

    def test_json_findings(self):
        folder = os.path.join(bed().drive_c, "t", "check", "json")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        write_inf(os.path.join(folder, "start.inf"),
                  "[Start]\nopen=%splayer.exe ; \"show\"\n[Message]\nSucess=x\n")
        shutil.copy(PLAYER_EXE, os.path.join(folder, "player.exe"))
        code, output = run_checker(folder, json=True)
        self.assertEqual(0, code, output)
        findings = [json.loads(line) for line in output.splitlines()]
        self.assertEqual([("warning", "Start", "open", 2), ("warning", "Message", "Sucess", 4)],
                         [(f["severity"], f["section"], f["key"], f["line"]) for f in findings])
        self.assertIn('"; \"show\"" is not a comment', findings[0]["message"])


if __name__ == "__main__":
    main()
