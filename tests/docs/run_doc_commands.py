#!/usr/bin/env python3
"""Runs the command blocks of README.md and docs/*.md as written, from a
scratch directory laid out as the source tree, whose build/normal is the
build under test.

Usage: run_doc_commands.py SOURCE_DIR BUILD_DIR

Each line of a ```sh block is a command that must exit 0. One ending in "&"
keeps running up to the next heading of level 1 or 2, and must still run then.
A ```python block runs with python3 and PYTHONPATH=python, as the docs say for
the driver there; ```text and ```json show output. Any other
block is listed as skipped, and one without a language fails. A comment right
before a block changes it:
  <!-- run: until stopped -->  each command must still run after a while, then is ended
  <!-- run: skip: REASON -->   not run, and listed with its reason
/dev/ttyUSB0 stands for a virtual board made afresh for the command.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

FENCE = re.compile(r"^```(\w*)\s*$")
MARKER = re.compile(r"^<!-- run: (until stopped|skip: (.+)) -->$")
# Blocks that show what a command prints.
OUTPUT = ("text", "json")
DEVICE = "/dev/ttyUSB0"
COMMAND_SECONDS = 120
# One that runs until stopped must still run (or have ended well) after this.
WHILE_SECONDS = 3
# One kept in the background, and a virtual board, get this long to print
# their first line (or make their link) before the next command runs.
READY_SECONDS = 30


def blocks(path):
    """(heading level or None, language, marker, lines) in the order of the file."""
    marker, language, body = None, None, None
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        fence = FENCE.match(line)
        if body is not None:
            if fence:
                yield None, language, marker, body
                marker, body = None, None
            else:
                body.append(line)
        elif fence:
            language, body = fence.group(1), []
        elif MARKER.match(line):
            marker = MARKER.match(line)
        elif line.startswith("<!-- run:"):
            raise SystemExit(f"{path}:{number}: unknown marker {line}")
        elif marker and line.strip():
            raise SystemExit(f"{path}:{number}: a marker must come right before its block")
        elif re.match(r"^#{1,2} ", line):
            yield len(line) - len(line.lstrip("#")), None, None, None


def commands(lines):
    joined = "\n".join(lines).replace("\\\n", " ")
    return [line for line in joined.split("\n") if line.strip() and not line.lstrip().startswith("#")]


class Runner:
    def __init__(self, source, build):
        self.scratch = tempfile.TemporaryDirectory()
        self.work = os.path.join(self.scratch.name, "work")
        os.makedirs(os.path.join(self.work, "build"))
        os.symlink(build, os.path.join(self.work, "build", "normal"))
        for name in ("docs", "python", "scripts"):
            os.symlink(os.path.join(source, name), os.path.join(self.work, name))
        home = os.path.join(self.scratch.name, "home")
        runtime = os.path.join(self.scratch.name, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen",
                        PYTHONPATH=os.path.join(source, "python"))
        self.board_program = os.path.join(build, "src", "board", "vevevar-virtual-board")
        self.background = []
        self.started = 0
        self.failures = 0
        self.counts = {"ran": 0, "skipped": 0}

    def start(self, argv, name):
        self.started += 1
        log = open(os.path.join(self.scratch.name, f"{self.started}-{name}.log"), "w+b")
        process = subprocess.Popen(argv, cwd=self.work, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        return process, log

    def with_board(self, command):
        """The command with the device replaced by a fresh virtual board's link, and that board."""
        if DEVICE not in command:
            return command, None
        link = os.path.join(self.scratch.name, "ttyUSB0")
        board = self.start([self.board_program, "--link", link], "board")
        deadline = time.monotonic() + READY_SECONDS
        while not os.path.exists(link) and time.monotonic() < deadline:
            time.sleep(0.05)
        return command.replace(DEVICE, link), board

    @staticmethod
    def stop(process_log):
        process, log = process_log
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGTERM)
            try:
                process.wait(15)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                return "did not end on SIGTERM"
            # Ended by the signal, or cleanly on it.
            return None if process.returncode in (0, -signal.SIGTERM, 128 + signal.SIGTERM) else "exit on SIGTERM"
        return None if process.returncode == 0 else f"exited {process.returncode} before it was stopped"

    def report(self, where, command, problem, process_log=None):
        if DEVICE in command:
            command += "   (on a virtual board)"
        if problem is None:
            self.counts["ran"] += 1
            print(f"ran      {where}: {command}")
            return
        self.failures += 1
        print(f"FAILED   {where}: {command}\n         {problem}")
        if process_log:
            process_log[1].seek(0)
            print(process_log[1].read().decode(errors="replace")[-3000:])

    def run_now(self, where, argv, command):
        shown, board = command, None
        if argv is None:
            command, board = self.with_board(command)
            argv = ["bash", "-c", command]
        process_log = self.start(argv, "command")
        try:
            process_log[0].wait(COMMAND_SECONDS)
            problem = None if process_log[0].returncode == 0 else f"exit {process_log[0].returncode}"
        except subprocess.TimeoutExpired:
            problem = f"still running after {COMMAND_SECONDS} s"
            self.stop(process_log)
        if board:
            self.stop(board)
        self.report(where, shown, problem, process_log)

    def run_long(self, where, command, until_stopped):
        shown = command
        command, board = self.with_board(command.rstrip().rstrip("&"))
        process_log = self.start(["bash", "-c", command], "long")
        entry = (where, shown, process_log, board)
        if until_stopped:
            try:
                process_log[0].wait(WHILE_SECONDS)
            except subprocess.TimeoutExpired:
                pass
            self.end(entry)
            return
        deadline = time.monotonic() + READY_SECONDS
        log_name = process_log[1].name
        while process_log[0].poll() is None and time.monotonic() < deadline and os.path.getsize(log_name) == 0:
            time.sleep(0.05)
        self.background.append(entry)

    def end(self, entry):
        where, shown, process_log, board = entry
        problem = self.stop(process_log)
        if board:
            self.stop(board)
        self.report(where, shown, problem, process_log)

    def end_background(self):
        while self.background:
            self.end(self.background.pop())

    def run_file(self, path, name):
        for level, language, marker, lines in blocks(path):
            if level is not None:
                self.end_background()
                continue
            where = name
            if language in OUTPUT:
                continue
            if not language:
                self.report(where, lines[0] if lines else "(empty block)", "a block without a language")
                continue
            if language not in ("sh", "python"):
                self.counts["skipped"] += 1
                print(f"skipped  {where}: a {language} block\n         does not run here")
                continue
            if marker and marker.group(2):
                self.counts["skipped"] += 1
                for command in commands(lines) if language == "sh" else ["(python block)"]:
                    print(f"skipped  {where}: {command}\n         {marker.group(2)}")
                continue
            if language == "python":
                self.run_now(where, [sys.executable, "-c", "\n".join(lines)], "(python block)")
                continue
            for command in commands(lines):
                if marker or command.rstrip().endswith("&"):
                    self.run_long(where, command, until_stopped=bool(marker))
                else:
                    self.run_now(where, None, command)
        self.end_background()


def main():
    source, build = (os.path.abspath(path) for path in sys.argv[1:3])
    runner = Runner(source, build)
    docs = os.path.join(source, "docs")
    files = ["README.md"] + sorted(f"docs/{name}" for name in os.listdir(docs) if name.endswith(".md"))
    for name in files:
        runner.run_file(os.path.join(source, name), name)
    print(f"{runner.counts['ran']} commands ran, {runner.counts['skipped']} blocks skipped, "
          f"{runner.failures} failed")
    return 1 if runner.failures or runner.counts["ran"] == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
