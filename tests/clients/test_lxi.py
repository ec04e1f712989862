#!/usr/bin/env python3
"""A second client nobody here wrote: Debian's lxi-tools speaks raw SCPI to
vevevar-cli --simulate serve.

Usage: test_lxi.py VEVEVAR_CLI
Exits 77 (skipped) when lxi is missing.
"""
import shutil
import subprocess
import sys
import unittest

from served_board import WAIT_SECONDS, ServedBoard

if shutil.which("lxi") is None:
    print("lxi client test skipped: lxi not found (install lxi-tools)")
    sys.exit(77)

CLI = None


class LxiClient(unittest.TestCase):
    def test_identity(self):
        board = ServedBoard(CLI)
        try:
            answer = subprocess.run(["lxi", "scpi", "--address", "127.0.0.1", "--port", str(board.port), "--raw",
                                     "*IDN?"], capture_output=True, text=True, timeout=WAIT_SECONDS, check=True)
        finally:
            self.assertEqual(board.stop(), 0)
        self.assertRegex(answer.stdout, r"^Vevevar,Azevora,0,\d+\.\d+\.\d+\n$")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    CLI = sys.argv.pop(1)
    unittest.main(verbosity=2)
