#!/usr/bin/env python3
"""The restart that the DirectX Media installer's exit code 3010 asks for.

Wine carries a restart out by ending the processes of the prefix, so these cases
run in a throwaway prefix of their own. What the launcher calls is read from Wine's
relay trace, limited to the calls that matter: the box, the NT privilege calls and
the restart request itself. Run by CTest with the test bed's folder."""
import os
import re
import shutil
import subprocess

from e2e import INSTALLER, PLAYER, Case, LauncherTest, bed, main, winebed

TRACED = ["user32.MessageBoxA", "user32.ExitWindowsEx", "advapi32.OpenProcessToken",
          "advapi32.LookupPrivilegeValueA", "advapi32.AdjustTokenPrivileges"]
RELAY = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="%s"
""" % ";".join(TRACED)


class Restart(LauncherTest):
    @classmethod
    def setUpClass(cls):
        # A display of its own too: a Wine session that ends leaves a shared display
        # unusable for the other prefix.
        cls.bed = winebed.WineBed(bed().root + "-restart").up(fresh=True, use_own_display=True)
        cls.bed.import_registry(RELAY)
        helpers = os.path.join(cls.bed.drive_c, "t", "helpers")
        shutil.rmtree(helpers, ignore_errors=True)
        shutil.copytree(os.path.join(winebed.WIN32, "helpers"), helpers)

    @classmethod
    def tearDownClass(cls):
        cls.bed.down()

    def restart_run(self, winver):
        case = Case("restart_" + winver,
                    "[Start]\nDXMedia=%s /exit=3010\nopen=%s\n"
                    "[Message]\nInstallDXMedia=Install?\nSuccessAndRestart=Restarting\n"
                    % (INSTALLER, PLAYER), in_bed=self.bed)
        trace = os.path.join(case.folder, "relay.txt")
        with open(trace, "wb") as err:
            process, tag = self.bed.start(
                case.robot_args(15000, answers=["ok", "ok"], winver=winver, marker="/nomarker"),
                dict(case.env(), WINEDEBUG="+relay"), stderr=err)
            self.bed.finish(process, tag, timeout=40)
        # The restart goes on after the launcher has ended (Wine ends the session
        # of the prefix): end the prefix's processes before the next case starts.
        subprocess.run(["wineserver", "-k"], env=self.bed.env(), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.bed.env(), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(trace, errors="replace") as f:
            calls = [line.strip() for line in f if re.search(r":(Call|Ret) ", line)]
        return case.read_log(), calls

    def test_restart_after_the_box_with_privilege_on_nt(self):
        for winver, nt in (("win98", False), ("nt40", True)):
            with self.subTest(winver):
                events, calls = self.restart_run(winver)
                log = "\n".join(e.line for e in events)
                # The record is written and the box shown before anything else.
                self.assertTrue(any("marker=value=600" in e.line for e in events), log)
                self.assertIn("Restarting", log)
                self.assertNotIn("player start", log)
                restart = [i for i, c in enumerate(calls) if "Call user32.ExitWindowsEx(00000002,00000000)" in c]
                self.assertEqual(1, len(restart), "\n".join(calls[-20:]))
                # The restart is asked for only once the second box is closed.
                box_returns = [i for i, c in enumerate(calls) if "Ret  user32.MessageBoxA(" in c]
                self.assertEqual(2, len(box_returns), "\n".join(calls))
                self.assertLess(box_returns[-1], restart[0])
                privilege = [i for i, c in enumerate(calls)
                             if "Call advapi32.AdjustTokenPrivileges(" in c]
                lookup = [c for c in calls if "Call advapi32.LookupPrivilegeValueA(" in c]
                if nt:
                    self.assertEqual(1, len(privilege), "\n".join(calls))
                    self.assertIn("SeShutdownPrivilege", lookup[0])
                    self.assertLess(box_returns[-1], privilege[0])
                    self.assertLess(privilege[0], restart[0])
                else:
                    self.assertEqual([], privilege)
                exits = [e for e in events if e.who == "robot" and e.what == "exit"]
                if exits:  # the restart may end the robot before it reports
                    self.assertEqual("1", exits[0]["code"])


if __name__ == "__main__":
    main()
