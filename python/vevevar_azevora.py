"""PyMeasure driver for the Vevevar Azevora signal-source board, served over
SCPI by ``vevevar-cli serve``.

    from vevevar_azevora import VevevarAzevora
    gen = VevevarAzevora("TCPIP::127.0.0.1::5025::SOCKET")
    gen.amplitude = 1
    gen.frequency = 100e6
    gen.output_enabled = True

Values are in SI units: Hz, V and s. Settings only store while the output is
off; ``output_enabled = True`` (or ``start_sweep()``) sends them to the board.
"""
import math

from pymeasure.instruments import Instrument
from pymeasure.instruments.validators import strict_discrete_set, strict_range

# Longest a frame command can take before the server tells it failed: a
# sweep, pause or continue the board never answers gives -240 after 5.5 s.
EXCHANGE_SECONDS = 10


def _count_to_scpi(count):
    return "INF" if math.isinf(count) else "1"


def _count_from_scpi(value):
    # SCPI's infinity, 9.9E37, for a circular sweep.
    return math.inf if value > 1 else 1


def _list_to_scpi(values):
    return ",".join("%.12g" % value for value in values)


def _list_from_scpi(values):
    # PyMeasure gives a one-value answer as a number, not a list.
    return values if isinstance(values, list) else [values]


def _list_control(command, doc):
    return Instrument.control(command + "?", command + " %s", doc,
                              set_process=_list_to_scpi, get_process=_list_from_scpi)


class VevevarAzevora(Instrument):
    """The board behind ``vevevar-cli serve``, given by its VISA resource,
    such as ``"TCPIP::127.0.0.1::5025::SOCKET"``."""

    frequency = Instrument.control(
        "FREQ?", "FREQ %.12g",
        """Frequency of the single point in Hz, 10 MHz to 400 MHz.""",
        validator=strict_range, values=(10e6, 400e6))
    amplitude = Instrument.control(
        "VOLT?", "VOLT %.12g",
        """Amplitude in V, 0 to 4.""",
        validator=strict_range, values=(0, 4))
    output_enabled = Instrument.control(
        "OUTP?", "OUTP %d",
        """Whether the output is on. Switching it on sends the point (or
        starts the sweep, in sweep mode); switching it off sends the close.""",
        validator=strict_discrete_set, values={True: 1, False: 0}, map_values=True)
    sweep_start = Instrument.control(
        "FREQ:STAR?", "FREQ:STAR %.12g",
        """Start of the sweep in Hz, a whole number of MHz from 10 to 400.""",
        validator=strict_range, values=(10e6, 400e6))
    sweep_stop = Instrument.control(
        "FREQ:STOP?", "FREQ:STOP %.12g",
        """Stop of the sweep in Hz, a whole number of MHz above the start.""",
        validator=strict_range, values=(10e6, 400e6))
    sweep_step = Instrument.control(
        "SWE:STEP?", "SWE:STEP %.12g",
        """Step of the sweep in Hz: 125 MHz / 2**n for n from 0 to 13, or
        within 2 % of one; reads back as the board makes it.""")
    sweep_dwell = Instrument.control(
        "SWE:DWEL?", "SWE:DWEL %.12g",
        """Time per step in s. Linear: the board's, a whole number of 20 ns
        below 1 s, read back as the board dwells. Logarithmic: each stepped
        point's, from the line's round trip (about 21 ms) to an hour.""",
        validator=strict_range, values=(20e-9, 3600))
    sweep_spacing = Instrument.control(
        "SWE:SPAC?", "SWE:SPAC %s",
        """"LIN" for the board's own sweep, "LOG" for a logarithmic sweep
        stepped point by point from the computer.""",
        validator=strict_discrete_set, values=("LIN", "LOG"))
    sweep_points = Instrument.control(
        "SWE:POIN?", "SWE:POIN %d",
        """Points of a logarithmic sweep, 2 to 10,000.""",
        validator=strict_range, values=(2, 10000), cast=int)
    list_frequencies = _list_control(
        "LIST:FREQ", """Frequencies of the list sweep in Hz, 10 MHz to 400 MHz each.""")
    list_amplitudes = _list_control(
        "LIST:VOLT", """Amplitudes of the list in V: one for every point or one each; none
        means the amplitude.""")
    list_dwells = _list_control(
        "LIST:DWEL", """Dwells of the list in s: one for every point or one each; none means
        the sweep dwell.""")
    sweep_count = Instrument.control(
        "SWE:COUN?", "SWE:COUN %s",
        """1 for a single sweep, math.inf for a circular one.""",
        validator=strict_discrete_set, values=(1, math.inf),
        set_process=_count_to_scpi, get_process=_count_from_scpi)

    def __init__(self, adapter, name="Vevevar Azevora signal source", **kwargs):
        # Without them PyMeasure's VISA adapter reads until its timeout.
        kwargs.setdefault("read_termination", "\n")
        kwargs.setdefault("write_termination", "\n")
        kwargs.setdefault("timeout", EXCHANGE_SECONDS * 1000)
        super().__init__(adapter, name, **kwargs)

    def start_sweep(self):
        """Starts the sweep of the sweep settings; the output is on from then."""
        self.write("FREQ:MODE SWE;:INIT")

    def start_list(self):
        """Starts the list sweep, stepped point by point; the output is on
        from then and stays at the last point."""
        self.write("FREQ:MODE LIST;:INIT")

    def pause(self):
        """Holds the sweep where it is."""
        self.write("SWE:PAUS")

    def resume(self):
        """Goes on with a paused sweep."""
        self.write("SWE:RES")

    def wait_for_sweep(self, timeout=None):
        """Returns once a single sweep or stepped run has ended (``*OPC?``);
        a circular or paused one does not hold it. ``timeout`` in s defaults
        to the planned time (``SWE:TIME?``) and time for the board to answer."""
        if timeout is None:
            timeout = float(self.ask("SWE:TIME?")) + EXCHANGE_SECONDS
        connection = self.adapter.connection
        saved = connection.timeout
        connection.timeout = timeout * 1000
        try:
            self.ask("*OPC?")
        finally:
            connection.timeout = saved

    def check_errors(self):
        """Reads the error queue with ``SYST:ERR?`` until it is empty and
        returns its entries as (code, message) pairs, oldest first."""
        errors = []
        while True:
            code, message = self.ask("SYST:ERR?").split(",", 1)
            if int(code) == 0:
                return errors
            errors.append((int(code), message.strip('"')))

    def shutdown(self):
        """Switches the output off."""
        self.output_enabled = False
        super().shutdown()
