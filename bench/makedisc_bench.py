#!/usr/bin/env python3
"""Benchmark of makedisc on the sample presentation (sample/start.inf and
build/win32/sample/player.exe), printed as a small report:

1. the time to press it, unsigned and signed with a throwaway certificate,
   split into the start.inf check (under Wine), the copy or signature of
   Start.exe, and xorriso;
2. the image's size against the folder's.

Usage: bench/makedisc_bench.py [--runs N]   (make bench)"""
import argparse
import io
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, ROOT)
from makedisc import cli  # noqa: E402

PASSWORD = "bench-only"


def certificate(folder):
    key, cert, pfx = (os.path.join(folder, n) for n in ("key.pem", "cert.pem", "bench.pfx"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=Bench",
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx,
                    "-passout", "pass:" + PASSWORD], check=True, capture_output=True)
    return pfx


def folder_size(folder):
    return sum(os.path.getsize(os.path.join(top, f)) for top, _, files in os.walk(folder)
               for f in files)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    runs = parser.parse_args().runs
    work = tempfile.mkdtemp(prefix="makedisc-bench-")
    try:
        disc = os.path.join(work, "Sample")
        os.makedirs(disc)
        shutil.copy(os.path.join(ROOT, "sample", "start.inf"), disc)
        shutil.copy(os.path.join(ROOT, "build", "win32", "sample", "player.exe"), disc)
        pfx = certificate(work)
        os.environ["SIGN_PASSWORD"] = PASSWORD
        iso = os.path.join(work, "sample.iso")
        print("makedisc benchmark: the sample presentation, median of %d runs" % runs)
        print("  %-9s %8s %8s %8s %8s" % ("", "check", "Start", "xorriso", "total"))
        for name, extra in (("unsigned", []), ("signed", ["--sign", pfx])):
            figures = []
            for _ in range(runs):
                timings = cli.Timings()
                started = time.time()
                code = cli.press(cli.parse([disc, iso] + extra), out=io.StringIO(), timings=timings)
                total = time.time() - started
                if code != 0:
                    raise SystemExit("makedisc failed (exit code %d)" % code)
                figures.append((timings.check, timings.sign, timings.image, total))
            check, start, image, total = (statistics.median(f[i] for f in figures) for i in range(4))
            print("  %-9s %7.2fs %7.3fs %7.3fs %7.2fs" % (name, check, start, image, total))
        size, folder = os.path.getsize(iso), folder_size(disc)
        launcher = os.path.getsize(os.path.join(ROOT, "build", "win32", "Start.exe"))
        print("  folder %d bytes (+ Start.exe %d = %d); signed image %d bytes: %.2f times the "
              "folder, %d bytes of ISO 9660, Joliet and Rock Ridge structures and padding"
              % (folder, launcher, folder + launcher, size, size / float(folder),
                 size - folder - launcher))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
