#!/usr/bin/env python3
"""The start.inf checker: a table of small start.inf fixtures, each with the
finding it must produce and the exit code. Run by CTest with the test bed's
folder."""
import os
import shutil
import subprocess

from e2e import LauncherTest, bed, main, winebed, write_inf

CHECKER = os.path.join(winebed.WIN32, "startcheck.exe")
MESSAGES = "[Message]\n" + "".join("%s=text\n" % k for k in (
    "InstallDXMedia", "Success", "SuccessAndRestart", "NotAdmin", "NT4sp3", "Error",
    "UnknownError", "InstallScript"))
PLAYER = "[Start]\nopen=%splayer.exe\n"

# (name, start.inf, files to put beside it, exit code, findings expected in the report)
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
]


def run_checker(folder):
    result = subprocess.run(["wine", CHECKER, bed().winpath(folder)], env=bed().env(),
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
        for number, (name, inf, files, exit_code, expected) in enumerate(CASES):
            with self.subTest(name):
                folder = os.path.join(bed().drive_c, "t", "check", "case%d" % number)
                shutil.rmtree(folder, ignore_errors=True)
                os.makedirs(folder)
                if inf is not None:
                    write_inf(os.path.join(folder, "start.inf"), inf)
                for path in files:
                    target = os.path.join(folder, path)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    shutil.copy(os.path.join(winebed.WIN32, "helpers", "fakeinstaller.exe"), target)
                code, report = run_checker(folder)
                self.assertEqual(exit_code, code, report)
                for finding in expected:
                    self.assertIn(finding, report)
                self.assertRegex(report, r"\n\d+ errors?, \d+ warnings?\n$")


if __name__ == "__main__":
    main()
