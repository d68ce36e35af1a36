"""The runner of the launcher under the Wine bed, shared by the end-to-end tests and
the storyboard: a case is a launcher folder of its own
(C:\\t\\cases\\<name>) holding Start.exe and the case's start.inf; a run starts the
launcher through the robot helper, which records every window of the launcher and
answers its message boxes, while the fake player and fake installers append what
they saw to the same log. Every run has a hard time-out, and every process that it
started is ended by its id afterwards."""
import os
import re
import shutil
import sys
import time
import unittest

import winebed

BED_ROOT = None  # set from the command line by main()
HELPERS = r"C:\t\helpers"
PLAYER = HELPERS + r"\fakeplayer.exe"
INSTALLER = HELPERS + r"\fakeinstaller.exe"
REST_OF_LINE_KEYS = ("cmdline", "caption", "text", "buttons", "msg")

_bed = None


def bed():
    global _bed
    if _bed is None:
        _bed = winebed.WineBed.attach(BED_ROOT)
    return _bed


class Event(dict):
    """One log line: who wrote it, what happened, its fields, and the robot's
    time stamp (ms) when it has one."""

    def __init__(self, line):
        super().__init__()
        self.line = line
        rest = line
        self.t = None
        m = re.match(r"t=(\d+) ", rest)
        if m:
            self.t = int(m.group(1))
            rest = rest[m.end():]
        # "<who> [<what>] key=value ...": the event word is absent on some lines.
        self.who, _, rest = rest.partition(" ")
        self.what = ""
        if rest and not re.match(r"\w+=", rest):
            self.what, _, rest = rest.partition(" ")
        while rest:
            m = re.match(r"(\w+)=", rest)
            if not m:
                break
            key = m.group(1)
            if key in REST_OF_LINE_KEYS:
                self[key] = rest[m.end():]
                break
            value, _, rest = rest[m.end():].partition(" ")
            self[key] = value


class Result:
    def __init__(self, case, events, robot_code):
        self.case = case
        self.events = events
        self.robot_code = robot_code

    def find(self, who, what=None, **fields):
        return [e for e in self.events if e.who == who and (what is None or e.what == what)
                and all(e.get(k) == v for k, v in fields.items())]

    def first(self, who, what=None, **fields):
        found = self.find(who, what, **fields)
        return found[0] if found else None

    @property
    def exit_code(self):
        e = self.first("robot", "exit")
        return int(e["code"]) if e else None

    @property
    def timed_out(self):
        return bool(self.find("robot", "timeout"))

    @property
    def exit_time(self):
        e = self.first("robot", "exit") or self.first("robot", "timeout")
        return e.t if e else None

    def players(self):
        return [e["cmdline"] for e in self.find("player", "start")]

    def installers(self):
        return [e["cmdline"] for e in self.find("installer", "start")]

    def boxes(self):
        """The message boxes in the order shown: dicts of buttons, owner, style,
        caption, text and answer."""
        boxes = []
        for e in self.find("msgbox"):
            if "buttons" in e:
                boxes.append(dict(e))
            elif boxes:
                boxes[-1].update(e)
        return boxes

    def splash(self):
        """What the robot saw of the splash: one dict, or None when none was seen."""
        seen = {}
        for e in self.find("splash"):
            if e.what == "gone":
                seen["gone_t"] = e.t
            elif e.what == "afterclose":
                seen["afterclose_exists"] = e["exists"]
                seen["afterclose_visible"] = e["visible"]
            else:
                if "style" in e:
                    seen["shown_t"] = e.t
                seen.update(e)
        return seen or None

    def describe(self):
        return "\n".join(e.line for e in self.events)


def write_inf(path, inf):
    data = inf if isinstance(inf, bytes) else inf.encode("cp1252")
    data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    with open(path, "wb") as f:
        f.write(data)


class Case:
    """A launcher folder of its own under C:\\t\\cases (or any folder given)."""

    def __init__(self, name, inf=None, exe_name="Start.exe", folder=None, copy_player=False,
                 in_bed=None):
        self.bed = in_bed or bed()
        self.folder = folder or os.path.join(self.bed.drive_c, "t", "cases", name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copy(os.path.join(winebed.WIN32, "Start.exe"), self.exe)
        if inf is not None:
            write_inf(os.path.join(self.folder, "start.inf"), inf)
        if copy_player:
            shutil.copy(os.path.join(winebed.WIN32, "helpers", "fakeplayer.exe"), self.folder)
        # The log lives apart from the case, whose folder may be too deep for it.
        logs = os.path.join(self.bed.drive_c, "t", "logs")
        os.makedirs(logs, exist_ok=True)
        self.log = os.path.join(logs, (name or "deep%d" % len(self.folder)) + ".log")

    @property
    def windir(self):
        """The launcher's folder as Windows spells it, with its trailing backslash."""
        return self.bed.winpath(self.folder) + "\\"

    def robot_args(self, timeout_ms, answers=None, winver=None, args=None, marker=None,
                   close_splash=False, extra=()):
        robot = [HELPERS + r"\robot.exe", "/log=" + self.bed.winpath(self.log),
                 "/timeout=%d" % timeout_ms]
        if winver:
            robot.append("/winver=" + winver)
        if answers:
            robot.append("/answers=" + ",".join(answers))
        if marker is not None:
            robot.append(marker if marker.startswith("/") else "/marker=" + marker)
        if close_splash:
            robot.append("/closesplash")
        if args:
            robot.append("/args=" + args)
        robot.extend(extra)
        robot.append(self.exe if re.match(r"[A-Za-z]:\\", self.exe) else self.bed.winpath(self.exe))
        return robot

    def env(self, lang="en_US.UTF-8", player="signal:0"):
        return {"LC_ALL": lang, "STARTTEST_LOG": self.bed.winpath(self.log),
                "STARTTEST_PLAYER": player}

    def start(self, timeout_ms=6000, lang="en_US.UTF-8", player="signal:0", **robot):
        """Starts a run without waiting for it; returns a handle for `finish`."""
        if os.path.exists(self.log):
            os.remove(self.log)
        process, tag = self.bed.start(self.robot_args(timeout_ms, **robot), self.env(lang, player))
        return (process, tag, timeout_ms)

    def finish(self, handle, until=None):
        """Waits for the run's end; with `until`, also up to 5 s more for the
        log to satisfy it (a player started by a launcher that has already
        ended), before every process of the run is ended."""
        process, tag, timeout_ms = handle
        try:
            process.wait(timeout=timeout_ms / 1000.0 + 20)
        except Exception:
            pass
        if until is not None:
            self.wait_for(until, seconds=5)
        robot_code = self.bed.finish(process, tag, timeout=0)
        return Result(self, self.read_log(), robot_code)

    def run(self, until=None, **kwargs):
        return self.finish(self.start(**kwargs), until)

    def read_log(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, "rb") as f:
            text = f.read().decode("cp1252", errors="replace")
        return [Event(line) for line in text.splitlines() if line.strip()]

    def wait_for(self, predicate, seconds=10):
        """Polls the log until `predicate(Result)` holds; returns whether it did."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            if predicate(Result(self, self.read_log(), None)):
                return True
            time.sleep(0.05)
        return False


class LauncherTest(unittest.TestCase):
    maxDiff = None

    def assertRan(self, result, code=0):
        self.assertFalse(result.timed_out, "launcher did not end:\n" + result.describe())
        self.assertEqual(code, result.exit_code, result.describe())


def main():
    global BED_ROOT
    BED_ROOT = sys.argv.pop(1)
    unittest.main(verbosity=2)
