#!/usr/bin/env python3
"""A second client nobody here wrote: Debian's lxi-tools speaks raw SCPI to
vevevar-cli --simulate serve. Usage: test_lxi.py VEVEVAR_CLI; exits 77
(skipped) when lxi is missing."""
import re
import shutil
import subprocess
import sys

from served_board import WAIT_SECONDS, ServedBoard

if len(sys.argv) < 2:
    sys.exit(__doc__)
if shutil.which("lxi") is None:
    print("lxi client test skipped: lxi not found (install lxi-tools)")
    sys.exit(77)
board = ServedBoard(sys.argv[1])
try:
    answer = subprocess.run(["lxi", "scpi", "--address", "127.0.0.1", "--port", str(board.port), "--raw", "*IDN?"],
                            capture_output=True, text=True, timeout=WAIT_SECONDS, check=False)
finally:
    code = board.stop()
print(f"lxi printed {answer.stdout!r}, exit {answer.returncode}; the server exited {code}")
identified = re.fullmatch(r"Vevevar,Azevora,0,\d+\.\d+\.\d+\n", answer.stdout)
sys.exit(0 if identified and answer.returncode == 0 and code == 0 else 1)
