#!/usr/bin/env python3
"""Runs the window's test under Wine, with COM5 linked to the Linux virtual
board, and checks what that board received: the frame of the Send on COM5,
byte-exact.

Usage: test_wine_window.py TEST_WINE_WINDOW_EXE VIRTUAL_BOARD GOLDEN_FRAMES_H
Needs WINEPREFIX, a prepared Wine prefix, and DISPLAY, an X display such as
Xvfb's, in the environment: Wine draws its windows there. All programs of one
Wine prefix must share one display, so scripts/windows runs every test under
the same xvfb-run."""
import os
import subprocess
import sys

import wine_support
from wine_support import WAIT_SECONDS, LinuxBoard


def main(test_exe, board_path, golden_path):
    if not os.environ.get("DISPLAY"):
        return "the window's test needs an X display (scripts/windows runs the tests under xvfb-run)"
    golden = wine_support.golden_frames(golden_path)
    board = LinuxBoard(board_path)
    try:
        # QtTest's log reaches stderr only when told to; Wine passes WINEQT_* on as QT_*.
        env = dict(os.environ, WINEQT_FORCE_STDERR_LOGGING="1")
        done = subprocess.run(["wine", test_exe], timeout=4 * WAIT_SECONDS, env=env, check=False)
    finally:
        board.stop()
    if done.returncode != 0:
        return f"the window's test under Wine failed ({done.returncode})"
    # Started on its start-up values, 0 V at 10 MHz.
    if board.frames() != [golden["kPoint0V10MhzFrame"]]:
        return f"the Linux board received {board.frames()}, not the Send's frame"
    print("PASS   : the Linux board received the Send's frame through COM5")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
