#!/usr/bin/env python3
"""Brings the end-to-end test bed up (a fresh 32-bit Wine prefix, an Xvfb display,
one wineserver, the launcher and the test helpers copied into C:\\t) or down.

Usage: bed.py up|down DIR"""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import winebed  # noqa: E402


def main():
    action, root = sys.argv[1], sys.argv[2]
    if action == "up":
        bed = winebed.WineBed(root).up(fresh=True, use_own_display=True)
        helpers = os.path.join(bed.drive_c, "t", "helpers")
        shutil.rmtree(os.path.join(bed.drive_c, "t"), ignore_errors=True)
        shutil.copytree(os.path.join(winebed.WIN32, "helpers"), helpers)
        print("bed up: prefix %s, display %s" % (bed.prefix, bed.display))
    else:
        winebed.WineBed.attach(root).down()
        print("bed down")


if __name__ == "__main__":
    main()
