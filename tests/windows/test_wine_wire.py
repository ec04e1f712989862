#!/usr/bin/env python3
"""vevevar-cli.exe under Wine drives the Linux virtual board through COM5,
which Wine maps onto the board's pseudo-terminal: the Windows serial stack in
both directions, frame by frame against the golden frames.

Usage: test_wine_wire.py VEVEVAR_CLI_EXE VIRTUAL_BOARD GOLDEN_FRAMES_H
Needs WINEPREFIX, a prepared Wine prefix, in the environment."""
import json
import os
import sys
import tempfile
import unittest

import wine_support
from wine_support import COM_PORT, LinuxBoard, SilentLine, run_windows, windows_path

CLI = BOARD = None
GOLDEN = {}

# One row a command: its arguments and the one frame it must put on the wire.
ACKNOWLEDGED = [
    ("point", ["point", "--amplitude", "1", "--frequency", "100"], "kPoint1V100MhzFrame"),
    ("sweep", ["sweep", "--start", "100", "--end", "300", "--amplitude", "1", "--step", "1953k",
               "--interval", "5"], "kSweep100To300MhzBy1953kFrame"),
    ("pause", ["pause"], "kPauseFrame"),
    ("continue", ["continue"], "kContinueFrame"),
    ("close", ["close"], "kCloseFrame"),
]


def log_lines(path):
    with open(path, encoding="utf-8") as log:
        return [json.loads(line) for line in log]


class WireSession(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.dir.name, "traffic.jsonl")

    def tearDown(self):
        self.dir.cleanup()

    def test_each_command_is_acknowledged_byte_exact(self):
        for name, args, frame in ACKNOWLEDGED:
            with self.subTest(name):
                board = LinuxBoard(BOARD)
                try:
                    code, out, err = run_windows(CLI, "--port", COM_PORT, "--log", windows_path(self.log), *args)
                finally:
                    board.stop()
                self.assertEqual(code, 0, out + err)
                self.assertEqual(board.frames(), [GOLDEN[frame]])
        # One log, appended to by every run: each frame out, each answer in.
        lines = log_lines(self.log)
        sent = [line["hex"] for line in lines if line.get("dir") == "tx"]
        received = [line["hex"] for line in lines if line.get("dir") == "rx"]
        self.assertEqual(sent, [GOLDEN[frame] for _, _, frame in ACKNOWLEDGED])
        self.assertEqual(received, [GOLDEN["kAcknowledgementReply"]] * len(ACKNOWLEDGED))

    def test_silent_board_gets_the_resends_and_exit_3(self):
        line = SilentLine()
        try:
            code, out, err = run_windows(CLI, "--port", COM_PORT, "point", "--amplitude", "1", "--frequency", "100")
        finally:
            line.stop()
        self.assertEqual(code, 3, out + err)
        sent = bytes(line.received).hex().upper()
        first, resent = GOLDEN["kPoint1V100MhzFrame"], GOLDEN["kPoint1V100MhzResentFrame"]
        self.assertTrue(sent.startswith(first + resent), sent)
        # Retry counts 00 to 06: the frame, then six resends.
        frame_chars = len(first)
        self.assertEqual(len(sent), 7 * frame_chars, sent)
        retries = [int(sent[i * frame_chars + 8:i * frame_chars + 10], 16) for i in range(7)]
        self.assertEqual(retries, list(range(7)))


if __name__ == "__main__":
    CLI, BOARD = sys.argv[1], sys.argv[2]
    GOLDEN = wine_support.golden_frames(sys.argv[3])
    unittest.main(argv=sys.argv[:1], verbosity=2)
