#!/usr/bin/env python3
"""Benchmarks of the launcher under Wine, printed as a small report:

1. CPU time of the launcher over a 5-second wait for a late signal, beside the
   plain 1-millisecond polling loop (winebed/helpers/pollwait.c) in the same run.
2. Time from the launcher's start to the player's start, beside starting the
   player directly.
3. The size of Start.exe.

Usage: bench/launch_bench.py [--runs N]   (make bench)"""
import argparse
import os
import shutil
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
import winebed  # noqa: E402

HELPERS = r"C:\b\helpers"
PLAYER = HELPERS + r"\fakeplayer.exe"


class Bench:
    def __init__(self):
        self.bed = winebed.WineBed(os.path.join(winebed.BUILD, "bench-bed")).up(use_own_display=True)
        root = os.path.join(self.bed.drive_c, "b")
        shutil.rmtree(root, ignore_errors=True)
        shutil.copytree(os.path.join(winebed.WIN32, "helpers"), os.path.join(root, "helpers"))
        self.disc = os.path.join(root, "disc")
        os.makedirs(self.disc)
        shutil.copy(os.path.join(winebed.WIN32, "Start.exe"), self.disc)
        self.log = os.path.join(root, "bench.log")

    def robot(self, program, player_mode, args=None, timeout_ms=20000, wait_player=False,
              options=()):
        """Runs `program` under the robot; returns the log's fields by event."""
        if os.path.exists(self.log):
            os.remove(self.log)
        command = [HELPERS + r"\robot.exe", "/log=" + self.bed.winpath(self.log),
                   "/timeout=%d" % timeout_ms]
        if args:
            command.append("/args=" + args)
        command.extend(options)
        command.append(program)
        process, tag = self.bed.start(command, {"STARTTEST_LOG": self.bed.winpath(self.log),
                                                "STARTTEST_PLAYER": player_mode})
        process.wait(timeout=timeout_ms / 1000 + 20)
        # A launcher without splash ends before its player has started.
        deadline = time.time() + 5
        while wait_player and time.time() < deadline:
            with open(self.log, errors="replace") as f:
                if "player start" in f.read():
                    break
            time.sleep(0.02)
        self.bed.finish(process, tag, timeout=0)
        fields = {}
        with open(self.log, errors="replace") as f:
            for line in f:
                words = line.split()
                if words[0].startswith("t="):
                    words = words[1:]
                key = " ".join(w for w in words[:2] if "=" not in w)
                fields.setdefault(key, dict(w.split("=", 1) for w in words if "=" in w))
        return fields

    def write_inf(self, text):
        with open(os.path.join(self.disc, "start.inf"), "w") as f:
            f.write(text.replace("\n", "\r\n"))

    def cpu_ms(self, fields):
        cpu = fields["robot cpu"]
        return int(cpu["user_ms"]) + int(cpu["kernel_ms"])

    def wait_cpu(self, runs, delay_ms):
        self.write_inf("[Start]\nopen=%s\n" % PLAYER)
        launcher, polling = [], []
        start_exe = self.bed.winpath(os.path.join(self.disc, "Start.exe"))
        mode = "signal:%d" % delay_ms
        for _ in range(runs):
            launcher.append(self.cpu_ms(self.robot(start_exe, mode)))
            polling.append(self.cpu_ms(self.robot(HELPERS + r"\pollwait.exe", mode, args=PLAYER)))
        return launcher, polling

    def start_latency(self, runs):
        self.write_inf("[Start]\nsplash=0\nopen=%s\n" % PLAYER)
        start_exe = self.bed.winpath(os.path.join(self.disc, "Start.exe"))
        through, direct = [], []
        for _ in range(runs):
            for program, into in ((start_exe, through), (PLAYER, direct)):
                f = self.robot(program, "exit:200", wait_player=True)
                into.append((float(f["player start"]["us"]) - float(f["robot started"]["us"])) / 1000)
        return through, direct

    def prerequisite_overhead(self, runs):
        """Start-to-player times of launches whose prerequisite steps all let the
        launch go on without installing anything, beside the plain launch."""
        system32 = os.path.join(self.bed.drive_c, "windows", "system32")
        shutil.copy(os.path.join(winebed.WIN32, "fixtures", "v5.6.0.0.dll"),
                    os.path.join(system32, "vbscript.dll"))
        start_exe = self.bed.winpath(os.path.join(self.disc, "Start.exe"))
        plain = "[Start]\nsplash=0\nopen=%s\n" % PLAYER
        installers = plain + ("DirectX={0} /exit=0\nDXMedia={0} /exit=0\nScript={0} /exit=0\n"
                              .format(HELPERS + r"\fakeinstaller.exe"))
        # DirectX runs at every start on Windows 98: it has no record to skip it by.
        skipped98 = plain + ("DXMedia={0} /exit=0\nScript={0} /exit=0\n"
                             .format(HELPERS + r"\fakeinstaller.exe"))
        setups = [
            ("Windows 10, no installers named", "win10", plain),
            ("Windows 10, all three named (skipped)", "win10", installers),
            ("Windows 98, no installers named", "win98", plain),
            ("Windows 98, DXMedia and Script named (skipped)", "win98", skipped98),
        ]
        times = {}
        for _ in range(runs):
            for label, winver, inf in setups:
                self.write_inf(inf)
                f = self.robot(start_exe, "exit:200", wait_player=True,
                               options=["/winver=" + winver, "/marker=600"])
                times.setdefault(label, []).append(
                    (float(f["player start"]["us"]) - float(f["robot started"]["us"])) / 1000)
        return [(label, statistics.median(times[label])) for label, _, _ in setups]

    def close(self):
        self.bed.down()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    runs = parser.parse_args().runs
    bench = Bench()
    try:
        launcher, polling = bench.wait_cpu(runs, 5000)
        launcher0, polling0 = bench.wait_cpu(runs, 0)
        through, direct = bench.start_latency(runs * 3)
        overhead = bench.prerequisite_overhead(runs * 3)
    finally:
        bench.close()
    size = os.path.getsize(os.path.join(winebed.WIN32, "Start.exe"))
    lc, pc = statistics.median(launcher), statistics.median(polling)
    lt, dt = statistics.median(through), statistics.median(direct)
    lines = [
        "Launcher benchmarks under Wine (%s runs; medians)" % runs,
        "CPU time over a 5 s wait for a late signal:",
        "  launcher (event-driven wait)   %6.0f ms   %s" % (lc, launcher),
        "  1 ms polling loop              %6.0f ms   %s" % (pc, polling),
        "  ratio polling / launcher       %6.1f" % (pc / lc if lc else float("inf")),
        "  the same with no wait (start-up and end alone): launcher %.0f ms, polling %.0f ms"
        % (statistics.median(launcher0), statistics.median(polling0)),
        "  so the 5 s wait itself costs: launcher %.0f ms, polling %.0f ms"
        % (lc - statistics.median(launcher0), pc - statistics.median(polling0)),
        "Time from start to the player's start:",
        "  through the launcher           %6.1f ms" % lt,
        "  player started directly        %6.1f ms" % dt,
        "  ratio launcher / direct        %6.2f" % (lt / dt if dt else float("inf")),
        "Size of Start.exe                %6d bytes" % size,
        "Start to the player's start with prerequisite steps that install nothing:",
    ] + ["  %-50s %6.1f ms" % row for row in overhead]
    report = "\n".join(lines)
    print(report)
    with open(os.path.join(winebed.BUILD, "bench.txt"), "w") as f:
        f.write(report + "\n")


if __name__ == "__main__":
    main()
