"""vevevar-cli --simulate serve on a free port, for the tests of clients
nobody here wrote, with the frames its virtual board received."""
import os
import re
import signal
import subprocess
import tempfile
import time

# Far beyond what a run needs, so a slow sanitizer build never trips it.
WAIT_SECONDS = 30


def wait_for(condition, what, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"no {what} within {seconds} s")


class ServedBoard:
    """With a launcher such as ["wine"], cli is the Windows build run under
    it, stopped with stop_signal."""

    def __init__(self, cli, launcher=(), stop_signal=signal.SIGTERM):
        self.stop_signal = stop_signal
        self.logs = tempfile.TemporaryDirectory()
        self.out_path = os.path.join(self.logs.name, "out")
        self.err_path = os.path.join(self.logs.name, "err")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.server = subprocess.Popen(
                [*launcher, cli, "--simulate", "serve", "--listen", "127.0.0.1:0"], stdout=out, stderr=err)
        self.port = int(wait_for(lambda: re.search(r"listening on 127\.0\.0\.1:(\d+)\n", self.read(self.out_path)),
                                 "listening line").group(1))
        self.resource = f"TCPIP::127.0.0.1::{self.port}::SOCKET"

    @staticmethod
    def read(path):
        with open(path, encoding="utf-8") as log:
            return log.read()

    def frames(self):
        """The frames the board took in, as hexadecimal text."""
        return re.findall(r"board received (\S+)", self.read(self.err_path))

    def stop(self):
        """Ends the server with its stop signal; returns its exit code."""
        self.server.send_signal(self.stop_signal)
        try:
            return self.server.wait(WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.server.kill()
            raise
        finally:
            self.logs.cleanup()
