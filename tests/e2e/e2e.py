"""The end-to-end tests' view of the shared Wine bed (winebed/): the runner's
names, re-exported so that every test file imports them from here."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import winebed  # noqa: E402,F401
from winebed.runner import (HELPERS, INSTALLER, PLAYER, REST_OF_LINE_KEYS, Case,  # noqa: E402,F401
                            Event, LauncherTest, Result, bed, main, write_inf)
