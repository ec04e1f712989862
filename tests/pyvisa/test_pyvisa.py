#!/usr/bin/env python3
"""A client nobody here wrote: PyVISA with its pure-Python backend drives
vevevar-cli --simulate serve as it would any signal generator.

Usage: test_pyvisa.py VEVEVAR_CLI
Exits 77 (skipped) when PyVISA or its backend is missing.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest

try:
    import pyvisa
    import pyvisa_py  # noqa: F401  the "@py" backend
except ImportError as error:
    print(f"PyVISA client test skipped: {error} (install python3-pyvisa and python3-pyvisa-py)")
    sys.exit(77)

CLI = None
# Far beyond what a run needs, so a slow sanitizer build never trips it.
WAIT_SECONDS = 30


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"no {what} within {WAIT_SECONDS} s")


class PyVisaClient(unittest.TestCase):
    def setUp(self):
        self.logs = tempfile.TemporaryDirectory()
        self.out_path = os.path.join(self.logs.name, "out")
        self.err_path = os.path.join(self.logs.name, "err")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.server = subprocess.Popen(
                [CLI, "--simulate", "serve", "--listen", "127.0.0.1:0"], stdout=out, stderr=err)
        port = wait_for(lambda: re.search(r"listening on 127\.0\.0\.1:(\d+)\n", self.read(self.out_path)),
                        "listening line")
        self.rm = pyvisa.ResourceManager("@py")
        self.inst = self.rm.open_resource(f"TCPIP::127.0.0.1::{port.group(1)}::SOCKET",
                                          read_termination="\n", write_termination="\n",
                                          timeout=WAIT_SECONDS * 1000)

    def tearDown(self):
        self.inst.close()
        self.rm.close()
        self.server.send_signal(signal.SIGTERM)
        try:
            code = self.server.wait(WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.server.kill()
            raise
        finally:
            self.logs.cleanup()
        self.assertEqual(code, 0)

    @staticmethod
    def read(path):
        with open(path, encoding="utf-8") as log:
            return log.read()

    def board_frames(self):
        return re.findall(r"board received (\S+)", self.read(self.err_path))

    def test_identity(self):
        self.assertRegex(self.inst.query("*IDN?"), r"^Vevevar,Azevora,0,\d+\.\d+\.\d+$")

    def test_point(self):
        self.inst.write("FREQ:MODE CW")
        self.inst.write("VOLT 1")
        self.inst.write("FREQ 123.456 MHZ")
        self.assertEqual(self.inst.query("SYST:ERR?"), '0,"No error"')
        self.assertEqual(float(self.inst.query("FREQ?")), 123.456e6)
        # 1 V and 123.456 MHz as the board's words: 0FD7 and 1F9AD000.
        self.assertEqual(self.board_frames()[-1][:32], "A55A5AA500011F9AD0000FD75AA5A55A")

    def test_sweep_reports_its_frequency(self):
        self.assertEqual(float(self.inst.query("FREQ:CURR?")), 0.0)
        for command in ("FREQ:MODE SWE", "FREQ:STAR 100 MHZ", "FREQ:STOP 300 MHZ", "SWE:STEP 976 kHz",
                        "SWE:DWEL 1 ms", "VOLT 1", "INIT"):
            self.inst.write(command)
        self.assertEqual(self.inst.query("SYST:ERR?"), '0,"No error"')
        current = wait_for(lambda: float(self.inst.query("FREQ:CURR?")), "reported frequency")
        self.assertGreaterEqual(current, 100e6)
        self.assertLessEqual(current, 300e6)
        self.assertEqual(self.board_frames()[-1][8:12], "0003")

    def test_out_of_range_value_is_refused(self):
        frames = len(self.board_frames())
        self.inst.write("FREQ 500 MHZ")
        self.assertEqual(self.inst.query("SYST:ERR?"), '-222,"Data out of range"')
        self.assertEqual(self.inst.query("SYST:ERR?"), '0,"No error"')
        self.assertEqual(float(self.inst.query("FREQ?")), 100e6)
        self.assertEqual(len(self.board_frames()), frames)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    CLI = sys.argv.pop(1)
    unittest.main(verbosity=2)
