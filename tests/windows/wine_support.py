"""What the tests under Wine share: golden frames, COM5 onto a pseudo-terminal,
the Linux virtual board, and running a Windows program.

Wine maps $WINEPREFIX/dosdevices/com5 onto whatever Linux tty it links to, so
a Windows program that opens COM5 talks over a real line to the far end of a
pseudo-terminal."""
import os
import pty
import re
import subprocess
import sys
import threading
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "clients"))
from served_board import wait_for  # noqa: E402  (the clients' folder, beside this one)

# Far beyond what a run needs: Wine starts slowly on a busy machine.
WAIT_SECONDS = 60
COM_PORT = "COM5"


def golden_frames(header_path):
    """The frames of tests/support/golden_frames.h, by their names."""
    with open(header_path, encoding="utf-8") as header:
        text = header.read()
    return dict(re.findall(r'inline const QString (k\w+) =\s*QStringLiteral\("([0-9A-F]+)"\);', text))


def com_link():
    return os.path.join(os.environ["WINEPREFIX"], "dosdevices", COM_PORT.lower())


def windows_path(path):
    """A Linux path as a Windows program under Wine names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_windows(program, *args, env=None):
    """Runs a Windows program under Wine to its end: (exit code, stdout, stderr)."""
    done = subprocess.run(["wine", program, *args], capture_output=True, timeout=WAIT_SECONDS,
                          env=env, check=False)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


class LinuxBoard:
    """The Linux virtual board with COM5 linked to its pseudo-terminal; the
    frames it logs, as hex texts."""

    def __init__(self, board_path, *options):
        self.lines = []
        self.process = subprocess.Popen([board_path, "--link", com_link(), *options],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        wait_for(lambda: any(line.startswith("link ") for line in self.lines), "board link line", WAIT_SECONDS)

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.rstrip("\n"))

    def frames(self):
        return [match.group(1) for line in self.lines
                for match in [re.match(r"\s*\d+\.\d+ ([0-9A-F]+) ", line)] if match]

    def stop(self):
        self.process.terminate()
        self.process.wait(WAIT_SECONDS)
        self.reader.join(WAIT_SECONDS)
        self.process.stdout.close()


class SilentLine:
    """COM5 onto a pseudo-terminal whose far end reads and never answers."""

    def __init__(self):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        link = com_link()
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(self.slave), link)
        self.received = bytearray()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        try:
            while True:
                chunk = os.read(self.master, 256)
                if not chunk:
                    return
                self.received += chunk
        except OSError:
            return

    def stop(self):
        os.unlink(com_link())
        os.close(self.slave)
        os.close(self.master)
        self.reader.join(WAIT_SECONDS)
