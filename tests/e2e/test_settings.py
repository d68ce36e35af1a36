#!/usr/bin/env python3
"""Where the launcher finds start.inf, and how it reads it. Run by CTest with the
test bed's folder."""
import os
import shutil

from e2e import PLAYER, Case, LauncherTest, bed, main, write_inf

NO_SPLASH_PLAYER = "splash=0\nopen=%s\n" % PLAYER


def deep_folder(length):
    """A folder under C:\\t\\cases whose Windows spelling, trailing backslash
    included, is `length` bytes long."""
    prefix = os.path.join(bed().drive_c, "t", "cases")
    path = prefix
    windows = len(bed().winpath(prefix)) + 1  # with its backslash
    while windows < length:
        part = min(60, length - windows - 1)
        path = os.path.join(path, "d" * part if part > 0 else "e")
        windows += max(part, 1) + 1
    assert len(bed().winpath(path)) + 1 == length, (path, length)
    return path


class Location(LauncherTest):
    def test_section_names_in_any_case(self):
        # Case names differ by more than case: Windows names ignore it.
        for number, spelling in enumerate(("START", "start", "Start", "sTaRt")):
            with self.subTest(spelling):
                r = Case("section_%d" % number, "[%s]\n%s" % (spelling, NO_SPLASH_PLAYER)).run(
                    until=lambda r: r.players())
                self.assertRan(r)
                self.assertIsNone(r.splash(), "splash=0 not read from [%s]" % spelling)
                self.assertEqual([PLAYER], r.players())

    def test_settings_path_that_does_not_fit_reads_no_file(self):
        # A start.inf in the Windows folder must never be read in its place.
        windows_inf = os.path.join(bed().drive_c, "windows", "start.inf")
        write_inf(windows_inf, "[Start]\n" + NO_SPLASH_PLAYER)
        try:
            for folder_length, reads in ((250, True), (251, False)):
                with self.subTest(folder_length=folder_length):
                    folder = deep_folder(folder_length)
                    shutil.rmtree(folder, ignore_errors=True)
                    case = Case(None, "[Start]\n" + NO_SPLASH_PLAYER, exe_name="S.exe",
                                folder=folder)
                    r = case.run(player="signal:0", until=(lambda r: r.players()) if reads else None)
                    self.assertRan(r)
                    if reads:
                        self.assertEqual([PLAYER], r.players())
                    else:
                        # Defaults: a splash with the default text, nothing started.
                        self.assertEqual([], r.players())
        finally:
            os.remove(windows_inf)

    def test_module_path_too_long_for_the_buffer(self):
        # The launcher's own path does not fit in 260 bytes: the system cuts it,
        # and the launcher reads no settings at all. Windows' CreateProcess will
        # not start such a path, so Wine starts it from the Unix side.
        folder = deep_folder(252)
        shutil.rmtree(folder, ignore_errors=True)
        case = Case(None, "[Start]\n" + NO_SPLASH_PLAYER, folder=folder)
        process, tag = bed().start([case.exe], {"STARTTEST_LOG": bed().winpath(
            os.path.join(bed().drive_c, "t", "long.log")), "STARTTEST_PLAYER": "signal:0"})
        code = bed().finish(process, tag, timeout=15)
        self.assertEqual(0, code)
        self.assertFalse(os.path.exists(os.path.join(bed().drive_c, "t", "long.log")))

    def test_root_of_a_drive(self):
        case = Case("drive_root", "[Start]\nopen=%sfakeplayer.exe %sshow.dat\n", copy_player=True)
        link = os.path.join(bed().prefix, "dosdevices", "r:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(case.folder, link)
        try:
            case.exe = "R:\\Start.exe"
            case.bed = bed()
            r = case.run(until=lambda r: r.players())
        finally:
            os.remove(link)
        self.assertRan(r)
        self.assertEqual(["R:\\fakeplayer.exe R:\\show.dat"], r.players())


if __name__ == "__main__":
    main()
