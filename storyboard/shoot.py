"""Runs the launcher for one run of the plan and takes the pictures of the
screens that it shows: the robot (winebed/helpers/robot.c) holds every window
that it logs until the file go<k> appears; the picture is taken then, from the
Xvfb screen, once two reads in a row agree. The fake player keeps the splash up
until the file player-go appears."""
import os
import shutil
import time

import winebed
from winebed.runner import Event

from . import pictures

RUN_TIMEOUT = 45        # seconds a run may take in all; then every process of it is ended
ROBOT_TIMEOUT_MS = 30000
SETTLE_SECONDS = 3      # at most this long for a window's picture to settle
POLL = 0.02


class Shot(dict):
    """One window as the robot logged it: kind (splash or msgbox), caption, text,
    rect, and for the splash the fit measurement."""


def window_before(events, index):
    """The window that the robot logged just before its hold event at `index`."""
    shot = Shot()
    for e in reversed(events[:index]):
        if e.who not in ("splash", "msgbox"):
            continue
        shot.setdefault("kind", e.who)
        if e.who != shot["kind"]:
            break
        if e.what == "fit":
            shot.update(fit={k: e[k] for k in ("font", "width", "height", "need", "cut")})
        for key in ("caption", "text", "rect", "buttons"):
            if key in e and key not in shot:
                shot[key] = e[key]
        if "style" in e:  # the window's first line
            break
    if "rect" in shot:
        shot["rect"] = [int(v) for v in shot["rect"].split(",")]
    return shot


class Shooter:
    def __init__(self, bed, scratch, out_dir):
        self.bed = bed
        self.scratch = scratch
        self.out_dir = out_dir
        self.root = os.path.join(bed.drive_c, "sb")
        self.helpers = os.path.join(self.root, "helpers")
        shutil.rmtree(self.helpers, ignore_errors=True)
        shutil.copytree(os.path.join(winebed.WIN32, "helpers"), self.helpers)
        self.count = 0
        self.settle_time = 0.0

    def run(self, language, run, wanted, name):
        """Runs the launcher once; returns (record of the run, {screen id: shot})
        for the screens in `wanted` that it showed."""
        self.count += 1
        hold = os.path.join(self.root, "hold", str(self.count))
        os.makedirs(hold)
        log = os.path.join(self.root, "logs", "%d.log" % self.count)
        os.makedirs(os.path.dirname(log), exist_ok=True)
        w = self.bed.winpath
        robot = [w(os.path.join(self.helpers, "robot.exe")), "/log=" + w(log),
                 "/timeout=%d" % ROBOT_TIMEOUT_MS, "/nomarker", "/hold=" + w(hold),
                 "/cwd=" + self.scratch.windir]
        if run.winver:
            robot.append("/winver=" + run.winver)
        if run.dxmedia_exit == 3010:
            robot.append("/refuserestart")
        robot.append(w(self.scratch.exe))
        env = {"LC_ALL": language.lc_all, "STARTTEST_LOG": w(log),
               "STARTTEST_PLAYER": "wait:" + w(os.path.join(hold, "player-go")),
               "STARTTEST_EXITS": self.scratch.exits(run.dxmedia_exit, run.script_exit)}
        started = time.time()
        process, tag = self.bed.start(robot, env)
        shots, handled, events = {}, 0, []
        deadline = started + RUN_TIMEOUT
        while time.time() < deadline:
            ended = process.poll() is not None
            events = read_log(log, language.encoding)
            holds = [i for i, e in enumerate(events) if e.who == "robot" and e.what == "hold"]
            for index in holds[handled:]:
                shot = window_before(events, index)
                planned = run.windows[handled][0] if handled < len(run.windows) else None
                shot["planned"] = planned
                if planned in wanted and planned not in shots and "rect" in shot:
                    self._picture(shot, "%s-%s" % (name, planned))
                    shots[planned] = shot
                handled += 1
                if shot.get("kind") == "splash":
                    open(os.path.join(hold, "player-go"), "w").close()
                open(os.path.join(hold, "go%d" % handled), "w").close()
            if ended:
                break
            time.sleep(POLL)
        code = self.bed.finish(process, tag, timeout=0)
        events = read_log(log, language.encoding)
        record = {
            "run": run.describe(), "winver": run.winver or "default",
            "robot_exit": code, "seconds": round(time.time() - started, 2),
            "windows": [window_before(events, i) for i, e in enumerate(events)
                        if e.who == "robot" and e.what == "hold"],
            "launcher_exit": next((int(e["code"]) for e in events
                                   if e.who == "robot" and e.what == "exit"), None),
            "programs": ["%s %s" % (e.who, e.get("cmdline", "")) for e in events
                         if e.who in ("installer", "player") and e.what == "start"],
            "restart_refused": any(e.who == "robot" and e.what == "endsession" for e in events),
            "timed_out": any(e.who == "robot" and e.what in ("timeout", "holdtimeout")
                             for e in events) or code is None,
        }
        return record, shots

    def _picture(self, shot, stem):
        """Writes the window's picture once it has settled: two reads of the
        screen in a row that agree and are not one flat colour."""
        began = time.time()
        previous = None
        while True:
            width, height, rows = pictures.grab(self.bed.fbdir, shot["rect"])
            if rows == previous and not pictures.is_flat(rows):
                break
            if time.time() - began > SETTLE_SECONDS:
                break
            previous = rows
            time.sleep(0.05)
        self.settle_time += time.time() - began
        png = os.path.join(self.out_dir, stem + ".png")
        pictures.write_png(png, width, height, rows)
        shot.update(png=os.path.basename(png), size=[width, height],
                    blank=pictures.is_flat(rows))


def read_log(path, encoding):
    """The robot's log, decoded with the run's ANSI code page, the code page in
    which the robot read the window texts."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode(encoding, errors="replace")
    except OSError:
        return []
    return [Event(line) for line in text.splitlines() if line.strip()]
