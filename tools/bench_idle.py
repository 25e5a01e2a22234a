#!/usr/bin/env python3
"""Idle benchmark: what pentrill costs while a drill question waits for a key.

Run from the repository root after building, for example:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill
    python3 tools/bench_idle.py                     # build/release/drill/pentrill, 30 s
    python3 tools/bench_idle.py --binary build/gcc/drill/pentrill --seconds 60

It starts the program in a 100 x 43 pseudo-terminal (TERM=xterm-256color),
chooses subelement "0" at the menu and "R" (random order) at the order prompt,
waits for the question screen, then touches nothing for the given time while
it reads the process's CPU time (utime + stime of /proc/<pid>/stat, all
threads) and counts the bytes the program writes to the terminal. It prints
CPU % of one core and bytes per second, and whether they meet the targets
(under 1 % CPU and under 200 bytes/s). The run clock rewrites "Run Time" once
a second, so a few dozen bytes per second are expected.

Exit status: 0 when both targets are met, 1 when one is missed, 2 when the
program is missing or could not be driven to a question screen. This is a
benchmark, not a test: CI does not run it.
"""

import argparse
import errno
import fcntl
import os
import select
import signal
import struct
import sys
import termios
import time

ROWS, COLUMNS = 43, 100
CPU_TARGET_PERCENT = 1.0
BYTES_TARGET_PER_SECOND = 200.0


class Terminal:
    """The master side of the program's pseudo-terminal: everything it wrote."""

    def __init__(self, fd):
        self.fd = fd
        self.output = bytearray()

    def read_for(self, seconds):
        """Reads whatever arrives during the given time; returns the byte count."""
        deadline = time.monotonic() + seconds
        count = 0
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return count
            ready, _, _ = select.select([self.fd], [], [], left)
            if not ready:
                continue
            try:
                chunk = os.read(self.fd, 65536)
            except OSError as error:  # EIO: the program has gone
                if error.errno == errno.EIO:
                    return count
                raise
            if not chunk:
                return count
            self.output += chunk
            count += len(chunk)

    def wait_for(self, text, timeout):
        """Reads until the given bytes have appeared since the last mark."""
        deadline = time.monotonic() + timeout
        while text not in self.output:
            if time.monotonic() >= deadline:
                return False
            self.read_for(0.05)
        return True

    def wait_until_quiet(self, quiet, timeout):
        """Reads until nothing has arrived for `quiet` seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.read_for(quiet) == 0:
                return True
        return False

    def mark(self):
        self.output.clear()

    def send(self, keys):
        os.write(self.fd, keys)


def start(binary):
    pid, fd = os.forkpty()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
        env = dict(os.environ, TERM="xterm-256color", LINES=str(ROWS), COLUMNS=str(COLUMNS))
        try:
            os.execve(binary, [binary], env)
        finally:
            os._exit(127)
    return pid, Terminal(fd)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # Fields after the command name start at field 3; utime and stime are 14 and 15.
    utime, stime = int(fields[11]), int(fields[12])
    return (utime + stime) / os.sysconf("SC_CLK_TCK")


def reach_question_screen(terminal, subelement):
    """Menu -> subelement -> random order -> the first question."""
    if not terminal.wait_until_quiet(0.5, 10):
        return "the menu never settled"
    terminal.mark()
    terminal.send(subelement.encode())
    if not terminal.wait_for(b"equence", 10):
        return "no order prompt after choosing the subelement"
    terminal.wait_until_quiet(0.3, 5)
    terminal.mark()
    terminal.send(b"R")
    if not terminal.wait_for(b"Run Time", 10):
        return "no question screen (no \"Run Time\") after choosing random order"
    terminal.read_for(1.5)  # let the first redraw and a clock tick pass
    return None


def measure(pid, terminal, seconds):
    per_second = []
    cpu_before = cpu_seconds(pid)
    clock_before = time.monotonic()
    for _ in range(int(seconds)):
        per_second.append(terminal.read_for(1.0))
    rest = seconds - int(seconds)
    total = sum(per_second) + (terminal.read_for(rest) if rest > 0 else 0)
    elapsed = time.monotonic() - clock_before
    cpu = cpu_seconds(pid) - cpu_before
    return cpu, total, elapsed, per_second


def stop(pid):
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    for _ in range(50):
        done, _ = os.waitpid(pid, os.WNOHANG)
        if done:
            return
        time.sleep(0.1)
    os.kill(pid, signal.SIGKILL)
    os.waitpid(pid, 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/drill/pentrill", help="the pentrill executable")
    parser.add_argument("--seconds", type=float, default=30.0, help="length of the idle measurement")
    parser.add_argument("--subelement", default="0", choices=list("0123456789"))
    args = parser.parse_args()
    if not os.access(args.binary, os.X_OK):
        print(f"bench_idle: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2

    pid, terminal = start(os.path.abspath(args.binary))
    try:
        problem = reach_question_screen(terminal, args.subelement)
        if problem:
            print(f"bench_idle: {problem}", file=sys.stderr)
            return 2
        cpu, total, elapsed, per_second = measure(pid, terminal, args.seconds)
    finally:
        stop(pid)
        os.close(terminal.fd)

    cpu_percent = 100.0 * cpu / elapsed
    bytes_per_second = total / elapsed
    cpu_ok = cpu_percent < CPU_TARGET_PERCENT
    bytes_ok = bytes_per_second < BYTES_TARGET_PER_SECOND
    print(f"idle for {elapsed:.1f} s on a question screen")
    print(f"CPU time:  {cpu:.3f} s = {cpu_percent:.2f} % of one core"
          f"  (target < {CPU_TARGET_PERCENT:g} %: {'met' if cpu_ok else 'MISSED'})")
    print(f"output:    {total} bytes = {bytes_per_second:.1f} bytes/s"
          f"  (target < {BYTES_TARGET_PER_SECOND:g}: {'met' if bytes_ok else 'MISSED'})")
    if per_second:
        print(f"bytes per 1-s interval: min {min(per_second)}, max {max(per_second)}")
    return 0 if cpu_ok and bytes_ok else 1


if __name__ == "__main__":
    sys.exit(main())
