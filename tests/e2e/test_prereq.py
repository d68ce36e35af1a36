#!/usr/bin/env python3
"""The prerequisite steps under each Windows version: the DirectX installer, the
DirectX Media offer with its registry record and exit-code table, the script engine
offer by the version of vbscript.dll, and the message boxes they show. Run by CTest
with the test bed's folder."""
import os
import shutil

from e2e import INSTALLER, PLAYER, Case, LauncherTest, bed, main, winebed

# Every message text names its key, so that a box tells which text it shows.
MESSAGES = "[Message]\n" + "".join(
    "%s=text of %s\n" % (key, key) for key in (
        "InstallDXMedia", "Success", "SuccessAndRestart", "NotAdmin", "NT4sp3", "Error",
        "UnknownError", "InstallScript"))
OK, OK_CANCEL = "OK", "OK|Cancel"
OLD_SYSTEMS = ("win95", "win98", "nt40")
NEW_SYSTEMS = ("winme", "win2k", "winxp", "win10")


def installer(exit_code, tag):
    return "%s /exit=%s %s" % (INSTALLER, exit_code, tag)


def box(key, buttons=OK):
    return ("Tarvello", "text of " + key, buttons)


def missing(key):
    return ("Bad start.inf file", "Missing entry '%s'" % key, OK)


class Engine:
    """Puts a fixture DLL (or nothing) in place of the system's vbscript.dll."""
    path = None
    saved = None

    @classmethod
    def use(cls, fixture):
        system = os.path.join(bed().drive_c, "windows", "system32")
        cls.path = os.path.join(system, "vbscript.dll")
        if cls.saved is None:
            cls.saved = os.path.join(bed().root, "vbscript.dll.saved")
            if not os.path.exists(cls.saved):
                shutil.copy(cls.path, cls.saved)
        if os.path.exists(cls.path):
            os.remove(cls.path)
        if fixture:
            shutil.copy(os.path.join(winebed.WIN32, "fixtures", fixture + ".dll"), cls.path)

    @classmethod
    def restore(cls):
        if cls.saved:
            shutil.copy(cls.saved, cls.path)


class PrereqTest(LauncherTest):
    counter = 0

    def launch(self, start, winver="win98", answers=None, marker="/nomarker", engine=None,
               lang="en_US.UTF-8", messages=MESSAGES, extra="", splash=False):
        """Runs the launcher with `start` lines in [Start] (no splash unless asked
        for, the fake player as presentation) and returns the result."""
        if engine is not None:
            Engine.use(engine)
        PrereqTest.counter += 1
        inf = "[Start]\nsplash=%d\nopen=%s\n%s\n%s%s" % (splash, PLAYER, start, messages, extra)
        case = Case("prereq_%d" % PrereqTest.counter, inf)
        r = case.run(winver=winver, answers=answers, marker=marker, lang=lang, timeout_ms=10000,
                     until=lambda r: r.exit_code == 1 or r.players(),
                     player="signal:800" if splash else "signal:0")
        self.assertFalse(r.timed_out, r.describe())
        return r

    def tearDown(self):
        Engine.restore()

    def assertBoxes(self, expected, r):
        self.assertEqual(expected, [(b.get("caption"), b.get("text"), b.get("buttons"))
                                    for b in r.boxes()], r.describe())

    def assertLaunched(self, r, launched=True, splash=False):
        """The launch went on to the presentation (exit 0), or stopped (exit 1)
        before the splash and the presentation."""
        self.assertEqual(0 if launched else 1, r.exit_code, r.describe())
        self.assertEqual(1 if launched else 0, len(r.players()), r.describe())
        if splash and launched:
            self.assertIsNotNone(r.splash(), r.describe())
        else:
            self.assertIsNone(r.splash(), r.describe())

    def recorded(self, r):
        """The registry record after the run: None when absent, else its value."""
        for e in r.find("robot"):
            if "marker" in e:
                if e["marker"] == "absent":
                    return None
                return int(e["marker"].split("=", 1)[1])
        self.fail("no marker line:\n" + r.describe())


class DirectXStep(PrereqTest):
    def test_runs_only_on_old_systems(self):
        for winver in OLD_SYSTEMS + NEW_SYSTEMS:
            with self.subTest(winver):
                r = self.launch("DirectX=" + installer(0, "dx"), winver=winver)
                self.assertLaunched(r)
                expected = [installer(0, "dx")] if winver in OLD_SYSTEMS else []
                self.assertEqual(expected, r.installers())
                self.assertBoxes([], r)

    def test_exit_code_decides(self):
        for code, launched in (("0", True), ("1", False), ("3010", False),
                               ("0x80004005", False)):
            with self.subTest(code):
                r = self.launch("DirectX=%s\nDXMedia=%s\nScript=%s" % (
                    installer(code, "dx"), installer(0, "dxm"), installer(0, "script")),
                    engine="v3.1.0.0", answers=["ok", "ok", "ok"])
                self.assertLaunched(r, launched)
                if not launched:
                    # No message, and no later step ran.
                    self.assertEqual([installer(code, "dx")], r.installers())
                    self.assertBoxes([], r)
                    self.assertIsNone(self.recorded(r))

    def test_missing_or_empty_command_continues_silently(self):
        for start in ("DirectX=", "DirectX=C:\\t\\nowhere\\dxsetup.exe /q", ""):
            with self.subTest(start):
                r = self.launch(start, winver="win95")
                self.assertLaunched(r)
                self.assertEqual([], r.installers())
                self.assertBoxes([], r)


class DXMediaStep(PrereqTest):
    def test_exit_code_table(self):
        rows = [
            # exit code, message key, record written, launch goes on
            ("0", "Success", True, True),
            ("1150", "NT4sp3", False, False),
            ("1321", "NotAdmin", False, False),
            ("0x80004005", "Error", False, False),
            ("1", "UnknownError", False, True),
            ("4294967295", "UnknownError", False, True),
        ]
        for code, key, recorded, launched in rows:
            with self.subTest(code):
                r = self.launch("DXMedia=%s\nDXMediaVersion=700" % installer(code, "dxm"),
                                answers=["ok", "ok"])
                self.assertEqual([installer(code, "dxm")], r.installers())
                self.assertBoxes([box("InstallDXMedia", OK_CANCEL), box(key)], r)
                self.assertEqual(700 if recorded else None, self.recorded(r))
                self.assertLaunched(r, launched)

    def test_offer_by_recorded_version(self):
        rows = [
            # robot marker option, DXMediaVersion line, offered
            ("/nomarker", "", True),                         # 0 < default 600
            ("/marker=600", "", False),
            ("/marker=599", "", True),
            ("/marker=700", "DXMediaVersion=650", False),
            ("/marker=650", "DXMediaVersion=700", True),     # raised: offered again
            ("/nomarker", "DXMediaVersion=0", False),        # 0 is not below 0
            ("/marker=0x80000000", "", True),                # negative record
            ("/markerraw=3:58020000", "", False),            # 4 raw bytes: 600
            ("/markerraw=1:3600", "", True),                 # "6": 0x36, 54 < 600
            ("/markerraw=3:5802000000", "", True),           # 5 bytes do not fit: 0
        ]
        for marker, version, offered in rows:
            with self.subTest(marker=marker, version=version):
                r = self.launch("DXMedia=%s\n%s" % (installer(0, "dxm"), version),
                                marker=marker, answers=["cancel"])
                self.assertBoxes([box("InstallDXMedia", OK_CANCEL)] if offered else [], r)
                self.assertEqual([], r.installers())
                self.assertLaunched(r)

    def test_declined_offer_installs_and_records_nothing(self):
        for answer in ("cancel", "esc", "close"):
            with self.subTest(answer):
                r = self.launch("DXMedia=" + installer(0, "dxm"), answers=[answer])
                self.assertBoxes([box("InstallDXMedia", OK_CANCEL)], r)
                self.assertEqual([], r.installers())
                self.assertIsNone(self.recorded(r))
                self.assertLaunched(r)

    def test_program_path_decides_whether_to_offer(self):
        blank_dir = os.path.join(bed().drive_c, "t", "with blank")
        os.makedirs(blank_dir, exist_ok=True)
        shutil.copy(os.path.join(winebed.WIN32, "helpers", "fakeinstaller.exe"), blank_dir)
        rows = [
            ("program with arguments", "DXMedia=%s /exit=0 /q" % INSTALLER, True),
            ("folder with a blank", "DXMedia=C:\\t\\with blank\\fakeinstaller.exe /exit=0", False),
            ("quoted program", 'DXMedia="%s" /exit=0' % INSTALLER, False),
            ("leading blank kept by quotes", "DXMedia=' %s /exit=0'" % INSTALLER, False),
            ("missing program", "DXMedia=C:\\t\\nowhere\\dxmsetup.exe", False),
            ("a folder, not a file", "DXMedia=C:\\t\\helpers /exit=0", False),
        ]
        for label, start, offered in rows:
            with self.subTest(label):
                r = self.launch(start, answers=["ok", "ok"])
                self.assertEqual(offered, bool(r.boxes()), r.describe())
                self.assertEqual(1 if offered else 0, len(r.installers()))
                self.assertLaunched(r)

    def test_installer_that_cannot_start_is_not_recorded(self):
        # The file is there but is no program: a failure, shown as such and
        # offered again next time.
        notprogram = os.path.join(bed().drive_c, "t", "notprogram.exe")
        with open(notprogram, "w") as f:
            f.write("this is not a program\n")
        r = self.launch("DXMedia=C:\\t\\notprogram.exe /q", answers=["ok", "ok"])
        self.assertBoxes([box("InstallDXMedia", OK_CANCEL), box("UnknownError")], r)
        self.assertIsNone(self.recorded(r))
        self.assertLaunched(r)

    def test_only_on_old_systems(self):
        for winver in OLD_SYSTEMS + NEW_SYSTEMS:
            with self.subTest(winver):
                r = self.launch("DXMedia=" + installer(0, "dxm"), winver=winver,
                                answers=["ok", "ok"])
                old = winver in OLD_SYSTEMS
                self.assertEqual(old, bool(r.installers()))
                self.assertEqual(600 if old else None, self.recorded(r))
                self.assertLaunched(r)

    def test_texts_by_language_and_missing_entries(self):
        german = "[Message.DE]\nInstallDXMedia=Installieren?\nSuccess=\n"
        r = self.launch("DXMedia=" + installer(0, "dxm"), lang="de_DE.UTF-8", extra=german,
                        answers=["ok", "ok"])
        # The German question (Windows names the buttons in German); Success is
        # empty in German, so [Message] serves.
        self.assertBoxes([("Tarvello", "Installieren?", "OK|Abbrechen"), box("Success")], r)

        r = self.launch("DXMedia=" + installer(0, "dxm"), messages="", answers=["ok"])
        # A missing question is declined: nothing is installed.
        self.assertBoxes([missing("InstallDXMedia")], r)
        self.assertEqual([], r.installers())
        self.assertLaunched(r)

        r = self.launch("DXMedia=" + installer(1321, "dxm"),
                        messages="[Message]\nInstallDXMedia=Install?\n", answers=["ok", "ok"])
        self.assertBoxes([("Tarvello", "Install?", OK_CANCEL), missing("NotAdmin")], r)
        self.assertLaunched(r, False)

        long_text = "x" * 300
        r = self.launch("DXMedia=" + installer(0, "dxm"), answers=["cancel"],
                        messages="[Message]\nInstallDXMedia=%s\n" % long_text)
        self.assertEqual(long_text[:255], r.boxes()[0]["text"])


class ScriptStep(PrereqTest):
    def test_offer_by_engine_version(self):
        rows = [
            ("v4.0.0.0", False), ("v5.6.0.0", False), ("v3.1.0.0", True),
            ("v3.0.0.0-product5", True), ("v32768.0.0.0", True), ("noversion", True),
            ("nofixedinfo", True),  # a version resource without fixed file information
            ("", True),  # no vbscript.dll at all
        ]
        for engine, offered in rows:
            with self.subTest(engine or "missing"):
                r = self.launch("Script=" + installer(0, "script"), engine=engine,
                                answers=["cancel"])
                self.assertBoxes([box("InstallScript", OK_CANCEL)] if offered else [], r)
                self.assertEqual([], r.installers())
                self.assertLaunched(r)

    def test_runs_on_every_system(self):
        for winver in OLD_SYSTEMS + NEW_SYSTEMS:
            with self.subTest(winver):
                r = self.launch("Script=" + installer(0, "script"), winver=winver,
                                engine="v3.1.0.0", answers=["ok"])
                self.assertEqual([installer(0, "script")], r.installers())
                self.assertBoxes([box("InstallScript", OK_CANCEL)], r)
                self.assertLaunched(r)

    def test_exit_code_decides(self):
        for code, launched in (("0", True), ("1", False), ("3010", False)):
            with self.subTest(code):
                r = self.launch("Script=" + installer(code, "script"), engine="noversion",
                                answers=["ok", "ok"])
                expected = [box("InstallScript", OK_CANCEL)]
                if not launched:
                    expected.append(box("UnknownError"))
                self.assertBoxes(expected, r)
                self.assertLaunched(r, launched)

    def test_declined_missing_and_unstartable(self):
        r = self.launch("Script=" + installer(0, "script"), engine="v3.1.0.0",
                        messages="", answers=["ok"])
        self.assertBoxes([missing("InstallScript")], r)
        self.assertEqual([], r.installers())
        self.assertLaunched(r)

        r = self.launch("Script=", engine="v3.1.0.0")
        self.assertBoxes([], r)
        self.assertLaunched(r)

        notprogram = os.path.join(bed().drive_c, "t", "notprogram.exe")
        with open(notprogram, "w") as f:
            f.write("this is not a program\n")
        r = self.launch("Script=C:\\t\\notprogram.exe", engine="v3.1.0.0", answers=["ok", "ok"])
        self.assertBoxes([box("InstallScript", OK_CANCEL), box("UnknownError")], r)
        self.assertLaunched(r, False)


class Order(PrereqTest):
    def test_three_steps_in_order_then_the_presentation(self):
        r = self.launch("DirectX=%s\nDXMedia=%s\nScript=%s" % (
            installer(0, "dx"), installer(0, "dxm"), installer(0, "script")),
            engine="v3.1.0.0", answers=["ok", "ok", "ok"])
        self.assertEqual([installer(0, "dx"), installer(0, "dxm"), installer(0, "script")],
                         r.installers())
        self.assertBoxes([box("InstallDXMedia", OK_CANCEL), box("Success"),
                          box("InstallScript", OK_CANCEL)], r)
        self.assertLaunched(r)
        # Every box stands alone (no owner window) and carries no icon.
        self.assertEqual({"0"}, {b["owner"] for b in r.boxes()})
        self.assertEqual({"0"}, {b["icon"] for b in r.boxes()})

    def test_a_stop_ends_the_launch_before_later_steps(self):
        # With the splash switched on: a stop shows neither splash nor player.
        for step, start in (
                ("DirectX", "DirectX=%s\nDXMedia=%s" % (installer(1, "dx"), installer(0, "dxm"))),
                ("DXMedia", "DXMedia=%s\nScript=%s" % (installer(1150, "dxm"),
                                                       installer(0, "script"))),
                ("Script", "Script=%s" % installer(1, "script"))):
            with self.subTest(step):
                r = self.launch(start, engine="v3.1.0.0", answers=["ok", "ok", "ok"], splash=True)
                self.assertEqual(1, len(r.installers()), r.describe())
                self.assertLaunched(r, False, splash=True)
        self.assertBoxes([box("InstallScript", OK_CANCEL), box("UnknownError")], r)

    def test_steps_that_continue_lead_to_the_splash(self):
        r = self.launch("DXMedia=%s" % installer(1, "dxm"), answers=["ok", "ok"], splash=True)
        self.assertBoxes([box("InstallDXMedia", OK_CANCEL), box("UnknownError")], r)
        self.assertLaunched(r, True, splash=True)

    def test_installer_arguments_and_long_commands(self):
        command = installer(0, "dx") + " " + "a" * 300
        r = self.launch("DirectX=" + command, winver="nt40")
        self.assertEqual([command[:259]], r.installers())
        self.assertLaunched(r)


if __name__ == "__main__":
    main()
