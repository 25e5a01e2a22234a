#!/usr/bin/env python3
"""Benchmark: what pentrill costs to start and to wait, beside `less`.

Run from the repository root after building the release binary (what
`bash tools/run.sh` builds), for example:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill
    python3 tools/bench.py                          # build/release/drill/pentrill
    python3 tools/bench.py --starts 31 --idle-seconds 60
    python3 tools/bench.py --binary build/gcc/drill/pentrill

Everything runs in a 100 x 43 pseudo-terminal (TERM=xterm-256color) on this
machine, in one run, and is printed side by side:

- start-up: from starting the process to the full menu on the terminal (its
  last line has arrived), the median of --starts starts; the same for `less`
  showing a short text (its text and its prompt), as the reference;
- idle cost at the menu and on a drill question (subelement 0, random order):
  CPU time of all threads (from /proc/<pid>/task/*/schedstat, in ns), bytes
  written to the terminal, and the process's voluntary context switches, that
  is how often it woke up, each per second over --idle-seconds;
- resident memory (VmRSS) at the menu and on the drill question, and the
  peak (VmHWM).

Targets: start-up at most 1.6 times that of `less`; under 0.05 % of one core
idle at the menu and on the question; at most 40 bytes/s on the question;
under 5 MB resident on the question. Exit status: 0 when every target is
met, 1 when one is missed, 2 when the program could not be driven.

`--check-start` only checks that the binary starts in a pseudo-terminal and
shows its menu, then ends it with Esc (CI runs this on the release build).

This is a benchmark, not a test: its figures depend on the machine and load.
"""

import argparse
import errno
import fcntl
import glob
import os
import select
import signal
import statistics
import struct
import sys
import tempfile
import termios
import time

ROWS, COLUMNS = 43, 100
MENU_LAST_LINE = b"Pick the sub element you want to practice (0-9, P, ?)"
FAREWELL = b"Thanks for playing.  Have a real nice day."
STARTUP_RATIO_TARGET = 1.6
CPU_TARGET_PERCENT = 0.05
BYTES_TARGET_PER_SECOND = 40.0
MEMORY_TARGET_MB = 5.0


class Terminal:
    """The master side of a program's pseudo-terminal."""

    def __init__(self, pid, fd):
        self.pid = pid
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

    def wait_for(self, texts, timeout):
        """Reads until every one of the byte strings has arrived since the last mark."""
        deadline = time.monotonic() + timeout
        while not all(text in self.output for text in texts):
            if time.monotonic() >= deadline:
                return False
            self.read_for(0.002)
        return True

    def wait_until_quiet(self, quiet, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.read_for(quiet) == 0:
                return True
        return False

    def mark(self):
        self.output.clear()

    def send(self, keys):
        os.write(self.fd, keys)

    def stop(self):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.kill(self.pid, sig)
            except ProcessLookupError:
                break
            for _ in range(50):
                self.read_for(0.02)
                done, _ = os.waitpid(self.pid, os.WNOHANG)
                if done:
                    os.close(self.fd)
                    return
        os.close(self.fd)

    def wait_exit(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.read_for(0.02)
            done, status = os.waitpid(self.pid, os.WNOHANG)
            if done:
                os.close(self.fd)
                return os.waitstatus_to_exitcode(status)
        return None


def start(argv, env_extra=None):
    env = {key: value for key, value in os.environ.items()
           if key not in ("LINES", "COLUMNS", "LESS", "LESSOPEN", "LESSCLOSE", "DISPLAY", "WAYLAND_DISPLAY")}
    env.update(TERM="xterm-256color", LANG="C.UTF-8")
    env.update(env_extra or {})
    pid, fd = os.forkpty()
    if pid == 0:
        try:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
            os.execvpe(argv[0], argv, env)
        finally:
            os._exit(127)
    return Terminal(pid, fd)


def startup_seconds(argv, ready_texts, timeout=10.0):
    before = time.perf_counter()
    terminal = start(argv)
    try:
        if not terminal.wait_for(ready_texts, timeout):
            return None
        return time.perf_counter() - before
    finally:
        terminal.stop()


def median_startup(argv, ready_texts, starts):
    times = []
    for _ in range(starts):
        seconds = startup_seconds(argv, ready_texts)
        if seconds is None:
            return None, []
        times.append(seconds)
    return statistics.median(times), times


def cpu_nanoseconds(pid):
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as stat:
                total += int(stat.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def wakeups(pid):
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            with open(path) as status:
                for line in status:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def memory_mb(pid, field):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def idle(terminal, seconds):
    """CPU %, bytes/s and wake-ups/s while nothing is typed."""
    cpu_before = cpu_nanoseconds(terminal.pid)
    wakeups_before = wakeups(terminal.pid)
    clock_before = time.monotonic()
    total = terminal.read_for(seconds)
    elapsed = time.monotonic() - clock_before
    cpu = (cpu_nanoseconds(terminal.pid) - cpu_before) / 1e9
    woke = wakeups(terminal.pid) - wakeups_before
    return 100.0 * cpu / elapsed, total / elapsed, woke / elapsed


def verdict(met):
    return "met" if met else "MISSED"


def check_start(binary):
    terminal = start([binary])
    if not terminal.wait_for([MENU_LAST_LINE], 20):
        print(f"bench: {binary} did not show its menu in a pseudo-terminal", file=sys.stderr)
        terminal.stop()
        return 1
    terminal.send(b"\x1b")
    status = terminal.wait_exit(20)
    if status != 0:
        print(f"bench: {binary} did not end with status 0 after Esc (status {status})", file=sys.stderr)
        return 1
    print(f"{binary} starts in a pseudo-terminal, shows its menu and ends on Esc")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/drill/pentrill", help="the pentrill executable")
    parser.add_argument("--starts", type=int, default=21, help="starts for each start-up median (at least 15)")
    parser.add_argument("--idle-seconds", type=float, default=30.0, help="length of each idle measurement")
    parser.add_argument("--check-start", action="store_true", help="only check that the binary starts")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        print(f"bench: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2
    if args.check_start:
        return check_start(binary)
    starts = max(args.starts, 15)

    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as text:
        text.write("".join(f"line {n} of a short text\n" for n in range(1, 11)) + "last line of the text\n")
    try:
        less_median, _ = median_startup(["less", text.name], [b"last line of the text", b"(END)"], starts)
    finally:
        os.unlink(text.name)
    ours_median, ours_times = median_startup([binary], [MENU_LAST_LINE], starts)
    if ours_median is None or less_median is None:
        print("bench: a program did not reach its first screen", file=sys.stderr)
        return 2

    terminal = start([binary])
    try:
        if not terminal.wait_for([MENU_LAST_LINE], 10) or not terminal.wait_until_quiet(0.5, 10):
            print("bench: the menu never settled", file=sys.stderr)
            return 2
        menu_rss = memory_mb(terminal.pid, "VmRSS")
        menu_cpu, menu_bytes, menu_wakeups = idle(terminal, args.idle_seconds)
        terminal.mark()
        terminal.send(b"0")
        if not terminal.wait_for([b"equence"], 10):
            print("bench: no order prompt after choosing subelement 0", file=sys.stderr)
            return 2
        terminal.wait_until_quiet(0.3, 5)
        terminal.send(b"R")
        if not terminal.wait_for([b"Run Time"], 10):
            print("bench: no drill question after choosing random order", file=sys.stderr)
            return 2
        terminal.read_for(1.5)
        question_cpu, question_bytes, question_wakeups = idle(terminal, args.idle_seconds)
        question_rss = memory_mb(terminal.pid, "VmRSS")
        peak_rss = memory_mb(terminal.pid, "VmHWM")
    finally:
        terminal.stop()

    ratio = ours_median / less_median
    results = [
        ratio <= STARTUP_RATIO_TARGET,
        menu_cpu < CPU_TARGET_PERCENT,
        question_cpu < CPU_TARGET_PERCENT,
        question_bytes <= BYTES_TARGET_PER_SECOND,
        question_rss < MEMORY_TARGET_MB,
    ]
    print(f"pentrill: {binary}")
    print(f"start-up to the full menu, median of {starts}: {ours_median * 1000:.1f} ms"
          f" (min {min(ours_times) * 1000:.1f}, max {max(ours_times) * 1000:.1f})")
    print(f"less showing a short text, median of {starts}: {less_median * 1000:.1f} ms")
    print(f"ratio: {ratio:.2f} (target <= {STARTUP_RATIO_TARGET}: {verdict(results[0])})")
    print(f"idle for {args.idle_seconds:g} s each:")
    print(f"  menu:           {menu_cpu:.4f} % of one core ({verdict(results[1])}), {menu_bytes:.1f} bytes/s,"
          f" {menu_wakeups:.2f} wake-ups/s")
    print(f"  drill question: {question_cpu:.4f} % of one core ({verdict(results[2])}), {question_bytes:.1f} bytes/s"
          f" ({verdict(results[3])}), {question_wakeups:.2f} wake-ups/s")
    print(f"resident memory: menu {menu_rss:.1f} MB, drill question {question_rss:.1f} MB"
          f" (target < {MEMORY_TARGET_MB:g}: {verdict(results[4])}), peak {peak_rss:.1f} MB")
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
