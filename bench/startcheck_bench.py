#!/usr/bin/env python3
"""Benchmark of the start.inf checker under Wine: its run time on the sample
presentation and on a 2,000-line start.inf (three installers, [Message] and
twenty language sections, long comment blocks), beside the time Wine takes to
start the same program and have it end at once (its usage message). One prefix
and one wineserver for the whole run, as the tests have.

Usage: bench/startcheck_bench.py [--runs N]   (make bench)"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
import winebed  # noqa: E402

CHECKER = os.path.join(winebed.WIN32, "startcheck.exe")
KEYS = ["splashtext", "InstallDXMedia", "Success", "SuccessAndRestart", "NotAdmin", "NT4sp3",
        "Error", "UnknownError", "InstallScript"]
LANGUAGES = ["DE", "FR", "ES", "IT", "NL", "SV", "DA", "PT", "PL", "CS", "RU", "EL", "TR",
             "HE", "AR", "TH", "JP", "KO", "CH", "ZH"]


def big_inf(lines=2000):
    """A start.inf of `lines` lines: what a disc with many languages and a lot of
    commentary looks like."""
    out = ["[Start]", "DirectX=dx\\dxsetup.exe /silent", "DXMedia=dxm\\setup.exe /q",
           "DXMediaVersion=610", "Script=script\\setup.exe /q", "splash=1",
           "open=%splayer.exe %sshow.dat", "[Message]"]
    out += ["%s=Text of %s for every other language." % (k, k) for k in KEYS]
    per_section = (lines - len(out) - len(LANGUAGES) * (len(KEYS) + 1)) // len(LANGUAGES)
    for code in LANGUAGES:
        out += ["; notes of the %s translation, line %d" % (code, i) for i in range(per_section)]
        out.append("[Message.%s]" % code)
        out += ["%s=%s text of %s." % (k, code, k) for k in KEYS]
    out += ["; end"] * (lines - len(out))
    return ("\r\n".join(out[:lines]) + "\r\n").encode("ascii")


def stage(root, name, inf_bytes, programs):
    folder = os.path.join(root, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with open(os.path.join(folder, "start.inf"), "wb") as f:
        f.write(inf_bytes)
    for path in programs:
        target = os.path.join(folder, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(os.path.join(winebed.WIN32, "sample", "player.exe"), target)
    return folder


def timed(bed, args, runs):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(["wine", CHECKER] + args, env=bed.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        times.append(time.perf_counter() - started)
    return statistics.median(times), min(times), max(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    runs = parser.parse_args().runs
    bed = winebed.WineBed(os.path.join(winebed.BUILD, "bench-check-bed")).up(use_own_display=True)
    try:
        root = os.path.join(bed.drive_c, "b")
        with open(os.path.join(winebed.ROOT, "sample", "start.inf"), "rb") as f:
            sample = stage(root, "sample", f.read(), ["player.exe"])
        big = stage(root, "big", big_inf(),
                    ["player.exe", "dx/dxsetup.exe", "dxm/setup.exe", "script/setup.exe"])
        timed(bed, [bed.winpath(sample)], 1)  # warm the prefix's caches
        rows = [("Wine start and end of startcheck.exe (usage message)", timed(bed, [], runs)),
                ("sample/start.inf (88 lines)", timed(bed, [bed.winpath(sample)], runs)),
                ("2,000-line start.inf (20 language sections)", timed(bed, [bed.winpath(big)], runs))]
    finally:
        bed.down()
    report = ["startcheck run time under Wine, median of %d runs (min-max), wall clock" % runs]
    for name, (median, low, high) in rows:
        report.append("  %-52s %6.0f ms  (%.0f-%.0f)" % (name, median * 1000, low * 1000, high * 1000))
    base = rows[0][1][0]
    report.append("  the checks themselves: sample %.0f ms, 2,000 lines %.0f ms" % (
        (rows[1][1][0] - base) * 1000, (rows[2][1][0] - base) * 1000))
    text = "\n".join(report)
    print(text)
    with open(os.path.join(winebed.BUILD, "startcheck-bench.txt"), "w") as f:
        f.write(text + "\n")


if __name__ == "__main__":
    main()
