#!/usr/bin/env python3
"""A client nobody here wrote: PyVISA with its pure-Python backend drives
vevevar-cli --simulate serve as it would any signal generator.

Usage: test_pyvisa.py [--wine] VEVEVAR_CLI
With --wine, VEVEVAR_CLI is the Windows build, run under Wine and stopped with
Ctrl+C: Wine hands SIGINT to a console program as Ctrl+C.
Exits 77 (skipped) when PyVISA or its backend is missing.
"""
import signal
import sys
import time
import unittest

from served_board import WAIT_SECONDS, ServedBoard, wait_for

try:
    import pyvisa
    import pyvisa_py  # noqa: F401  the "@py" backend
except ImportError as error:
    print(f"PyVISA client test skipped: {error} (install python3-pyvisa and python3-pyvisa-py)")
    sys.exit(77)

CLI = None
LAUNCHER = ()
STOP_SIGNAL = signal.SIGTERM


class PyVisaClient(unittest.TestCase):
    def setUp(self):
        self.board = ServedBoard(CLI, LAUNCHER, STOP_SIGNAL)
        self.rm = pyvisa.ResourceManager("@py")
        self.inst = self.rm.open_resource(self.board.resource, read_termination="\n", write_termination="\n",
                                          timeout=WAIT_SECONDS * 1000)

    def tearDown(self):
        self.inst.close()
        self.rm.close()
        self.assertEqual(self.board.stop(), 0)

    def board_frames(self):
        return self.board.frames()

    def test_identity(self):
        self.assertRegex(self.inst.query("*IDN?"), r"^Vevevar,Azevora,0,\d+\.\d+\.\d+$")

    def test_point(self):
        self.inst.write("FREQ:MODE CW")
        self.inst.write("VOLT 1")
        self.inst.write("FREQ 123.456 MHZ")
        self.inst.write("OUTP ON")
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

    def test_status_model(self):
        # Every mandatory common query answers, rather than leaving PyVISA
        # to wait out its timeout.
        self.assertEqual(self.inst.query("*RST;*ESE?;*SRE?;*TST?;*STB?"), "0;0;0;0")
        self.assertEqual(self.inst.query("FOO;*STB?"), "4")
        self.assertEqual(self.inst.query("*ESE 32;*STB?;*ESR?;*STB?"), "36;32;4")
        self.assertEqual(self.inst.query("*CLS;*STB?;:STAT:OPER:ENAB 8;:SYST:ERR:COUN?"), "0;0")
        # A single sweep of two 0.4 s steps: *OPC? answers once it is over.
        self.inst.write("FREQ:MODE SWE;STAR 100 MHZ;STOP 350 MHZ;:SWE:STEP 125 MHZ;DWEL 0.4 s")
        started = time.monotonic()
        self.assertEqual(self.inst.query("INIT;*STB?;:STAT:OPER:COND?;*OPC?;:STAT:OPER:COND?"), "128;8;1;0")
        self.assertGreaterEqual(time.monotonic() - started, 0.8)
        self.assertEqual(self.inst.query("STAT:OPER?;*STB?;:SYST:ERR:ALL?"), '8;0;0,"No error"')


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--wine":
        sys.argv.pop(1)
        LAUNCHER, STOP_SIGNAL = ("wine",), signal.SIGINT
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    CLI = sys.argv.pop(1)
    unittest.main(verbosity=2)
