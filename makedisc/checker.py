"""The start.inf checker, run on the folder before anything is pressed. Its
report is passed on as it is; only its exit code is read (1: errors)."""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STARTCHECK = os.path.join(ROOT, "tools", "startcheck")
TIMEOUT = 300


def run(folder):
    """Runs the checker on `folder`; returns (exit code, report bytes)."""
    try:
        result = subprocess.run([sys.executable, STARTCHECK, folder], stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return 1, b"startcheck did not end within %d s\n" % TIMEOUT
    return result.returncode, result.stdout
