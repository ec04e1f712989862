#!/usr/bin/env python3
"""A driver people already use: PyMeasure, with the shipped VevevarAzevora
driver, against vevevar-cli --simulate serve, checking what reached the board.

Usage: test_pymeasure.py VEVEVAR_CLI DRIVER_DIR
Exits 77 (skipped) when PyMeasure is missing.
"""
import math
import sys
import time
import unittest

from served_board import ServedBoard

try:
    import pymeasure  # noqa: F401
except ImportError as error:
    print(f"PyMeasure client test skipped: {error} (install python3-pymeasure)")
    sys.exit(77)

CLI = None
# The point of 1 V at 100 MHz, and the single sweep of 100 to 350 MHz at 1 V
# in 125 MHz steps (code 0D) of 0.4 s (20,000,000 counts of 20 ns).
POINT_1V_100MHZ = "A55A5AA50001199999990FD75AA5A55A8CE9"
SWEEP_100_TO_350_MHZ = "A55A5AA5000319999999599999990FFF0D01312D00005AA5A55A3FF3"


class PyMeasureDriver(unittest.TestCase):
    def setUp(self):
        self.board = ServedBoard(CLI)
        # As a new user writes it: the resource name and nothing else.
        self.gen = VevevarAzevora(self.board.resource)

    def tearDown(self):
        self.gen.adapter.connection.close()
        self.assertEqual(self.board.stop(), 0)

    def test_configure_then_enable(self):
        self.gen.amplitude = 1
        self.gen.frequency = 100e6
        self.assertEqual((self.gen.amplitude, self.gen.frequency, self.gen.output_enabled), (1, 100e6, False))
        self.assertEqual(self.board.frames(), [])
        self.gen.output_enabled = True
        self.assertTrue(self.gen.output_enabled)
        self.assertEqual(self.board.frames(), [POINT_1V_100MHZ])
        self.assertEqual(self.gen.check_errors(), [])

    def test_single_sweep_is_waited_for(self):
        self.gen.amplitude = 1
        self.gen.sweep_start, self.gen.sweep_stop, self.gen.sweep_step = 100e6, 350e6, 125e6
        self.gen.sweep_dwell = 0.4
        self.gen.sweep_count = 1
        started = time.monotonic()
        self.gen.start_sweep()
        self.gen.wait_for_sweep()
        # Two steps of 0.4 s.
        self.assertGreaterEqual(time.monotonic() - started, 0.8)
        self.assertEqual(int(self.gen.ask("STAT:OPER:COND?")), 0)
        self.assertEqual(self.board.frames(), [SWEEP_100_TO_350_MHZ])
        self.assertEqual(self.gen.check_errors(), [])
        self.gen.sweep_count = math.inf
        self.assertEqual(self.gen.sweep_count, math.inf)

    def test_stepped_list_and_log_sweep(self):
        self.gen.list_frequencies = [10e6, 100e6, 250e6, 400e6]
        self.gen.list_amplitudes, self.gen.list_dwells = [1.5], [0.05]
        self.assertEqual(self.gen.list_frequencies, [10e6, 100e6, 250e6, 400e6])
        self.gen.start_list()
        self.gen.wait_for_sweep()
        # 10, 100, 250 and 400 MHz at 1.5 V (word 17C2), in order.
        self.assertEqual([frame[12:24] for frame in self.board.frames()],
                         ["028F5C2817C2", "1999999917C2", "4000000017C2", "6666666617C2"])
        self.gen.write("FREQ:MODE SWE")
        self.gen.sweep_spacing, self.gen.sweep_points, self.gen.sweep_dwell = "LOG", 3, 0.05
        self.gen.start_sweep()
        self.gen.wait_for_sweep()
        self.assertEqual((self.gen.sweep_spacing, self.gen.sweep_points), ("LOG", 3))
        # 10, 63.2456 (10·√40, as a float) and 400 MHz at the amplitude, 0 V.
        self.assertEqual([frame[12:24] for frame in self.board.frames()[4:]],
                         ["028F5C280000", "1030DC490000", "666666660000"])
        self.assertEqual(self.gen.check_errors(), [])

    def test_lock_between_two_clients(self):
        other = VevevarAzevora(self.board.resource)
        try:
            self.assertEqual(self.gen.ask("SYST:LOCK:REQ?"), "1")
            other.frequency = 300e6
            other.output_enabled = True
            self.assertEqual(other.check_errors(), [(-203, "Command protected")] * 2)
            self.assertEqual(other.frequency, 100e6)
            self.assertEqual(self.board.frames(), [])
            self.gen.write("SYST:LOCK:REL")
            other.output_enabled = True
            self.assertEqual(other.check_errors(), [])
            self.assertEqual(len(self.board.frames()), 1)
        finally:
            other.adapter.connection.close()

    def test_error_from_the_queue(self):
        self.gen.write("FREQ 500 MHZ")
        self.gen.sweep_step = 500e3
        self.assertEqual(self.gen.check_errors(), [(-222, "Data out of range"), (-224, "Illegal parameter value")])
        self.assertEqual(self.gen.check_errors(), [])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    CLI = sys.argv.pop(1)
    sys.path.insert(0, sys.argv.pop(1))
    from vevevar_azevora import VevevarAzevora
    unittest.main(verbosity=2)
