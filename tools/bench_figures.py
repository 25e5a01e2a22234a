#!/usr/bin/env python3
"""Figure-window benchmark: what a figure window costs a drill question.

Run from the repository root after building (Xvfb must be installed), e.g.:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill
    python3 tools/bench_figures.py                  # build/release/drill/pentrill, 5 runs
    python3 tools/bench_figures.py --binary build/gcc/drill/pentrill --runs 9 --idle 30

It starts its own Xvfb display and runs the program in a 100 x 43
pseudo-terminal, in an E5 drill in sequence order from E5C08. E5C10, E5C11 and
E5C12 show Figure E5-1; the questions around them show none. For every step
to the next question it times the key that moves on (the answer, or the key
after a wrong answer's message) to the last byte of the new question screen
(the end of the output burst). It prints the medians over the runs for:

  - a question without a figure (no window opened or closed),
  - the first figure question (this includes loading SDL2 and starting its
    video: once per run of the program),
  - a figure question after a figure question (closing one window and
    opening the next),
  - the question after the last figure (closing only),

then the same steps with DISPLAY unset, where a figure must cost nothing;
and the CPU used (all threads) while E5C10 waits with its window open.

Targets: a figure window adds at most 50 ms plus the window's creation to
drawing a question (the program adds no pause at all, so the figure step
minus the plain step is the creation itself); without a display a figure
step costs no more than a plain one (within 2 ms); waiting with a figure
window open stays under 1 % of one core.

Exit status: 0 when the targets are met, 1 when one is missed, 2 when the
program or Xvfb is missing or could not be driven. Not run by CI.
"""

import argparse
import errno
import fcntl
import os
import select
import signal
import statistics
import struct
import subprocess
import sys
import termios
import time

ROWS, COLUMNS = 43, 100
START_ROW = 36  # E5C08: E5A and E5B hold 28 questions
# The steps, by the question they lead to: E5C09 plain, E5C10 first figure,
# E5C11 and E5C12 figure after figure, E5D01 after the last figure, E5D02 plain.
STEPS = ["plain", "first figure", "figure after figure", "figure after figure", "after last figure", "plain"]
QUIET = 0.06  # seconds without output that end a screen (a clock tick comes later, mostly)
FIGURE_PAUSE_MS = 50.0
CPU_TARGET_PERCENT = 1.0
NO_DISPLAY_SLACK_MS = 2.0


class Terminal:
    def __init__(self, fd):
        self.fd = fd
        self.output = bytearray()

    def read_until_quiet(self, quiet, timeout):
        """Reads until nothing came for `quiet` s; returns the time of the last byte."""
        last = time.monotonic()
        deadline = last + timeout
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.fd], [], [], quiet)
            if not ready:
                return last
            try:
                chunk = os.read(self.fd, 65536)
            except OSError as error:
                if error.errno == errno.EIO:
                    return last
                raise
            if not chunk:
                return last
            self.output += chunk
            last = time.monotonic()
        return last

    def wait_for(self, text, timeout):
        deadline = time.monotonic() + timeout
        while text not in self.output and time.monotonic() < deadline:
            self.read_until_quiet(0.05, 0.2)
        return text in self.output

    def send(self, keys):
        self.output.clear()
        os.write(self.fd, keys)
        return time.monotonic()


def start(binary, display):
    pid, fd = os.forkpty()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(TERM="xterm-256color", SDL_AUDIODRIVER="dummy")
        if display:
            env["DISPLAY"] = display
        try:
            os.execve(binary, [binary], env)
        finally:
            os._exit(127)
    return pid, Terminal(fd)


def stop(pid, fd):
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            if os.waitpid(pid, os.WNOHANG)[0]:
                break
            time.sleep(0.1)
        else:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
    except (ProcessLookupError, ChildProcessError):
        pass
    os.close(fd)


def cpu_seconds(pid):
    """CPU time of the program's main thread, and of all its other threads."""
    main, others = 0, 0
    for thread in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{thread}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except FileNotFoundError:  # a thread that just ended
            continue
        ticks = int(fields[11]) + int(fields[12])
        if int(thread) == pid:
            main += ticks
        else:
            others += ticks
    clock = os.sysconf("SC_CLK_TCK")
    return main / clock, others / clock


def to_start(terminal):
    terminal.read_until_quiet(0.5, 10)
    terminal.send(b"5")
    if not terminal.wait_for(b"equence", 10):
        return False
    terminal.read_until_quiet(0.3, 5)
    terminal.send(b"S")
    if not terminal.wait_for(b"Start with", 10):
        return False
    terminal.read_until_quiet(0.3, 5)
    terminal.send(str(START_ROW).encode() + b"\r")
    terminal.read_until_quiet(QUIET, 20)
    return True


def next_question(terminal):
    """Moves on with "a" (and a key after a wrong answer's message); ms to the new screen."""
    sent = terminal.send(b"a")
    last = terminal.read_until_quiet(QUIET, 20)
    if b"Press any key" in terminal.output:
        sent = terminal.send(b"x")
        last = terminal.read_until_quiet(QUIET, 20)
    return 1000.0 * (last - sent)


def one_run(binary, display, idle):
    pid, terminal = start(binary, display)
    try:
        if not to_start(terminal):
            return None, None
        times = [next_question(terminal) for _ in STEPS[:2]]
        cpu = None
        if idle:  # waiting on E5C10 with its window open
            # An alert of a wrong answer keeps its sound device open 2 s.
            terminal.read_until_quiet(4, 3)
            before, clock = cpu_seconds(pid), time.monotonic()
            terminal.read_until_quiet(idle + 1, idle)
            after, seconds = cpu_seconds(pid), time.monotonic() - clock
            cpu = tuple(100.0 * (a - b) / seconds for a, b in zip(after, before))
        times += [next_question(terminal) for _ in STEPS[2:]]
        return times, cpu
    finally:
        stop(pid, terminal.fd)


def start_xvfb():
    read_end, write_end = os.pipe()
    try:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24",
                                   "-nolisten", "tcp"], pass_fds=(write_end,),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except FileNotFoundError:
        return None, None
    finally:
        os.close(write_end)
    ready, _, _ = select.select([read_end], [], [], 30)
    number = os.read(read_end, 32).decode().strip() if ready else ""
    os.close(read_end)
    return server, (":" + number if number else None)


def medians(runs):
    result = {}
    for name in dict.fromkeys(STEPS):
        values = [run[i] for run in runs for i, step in enumerate(STEPS) if step == name]
        result[name] = statistics.median(values)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/drill/pentrill", help="the pentrill executable")
    parser.add_argument("--runs", type=int, default=5, help="program runs per setting")
    parser.add_argument("--idle", type=float, default=20.0, help="seconds of waiting measured on E5C10")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        print(f"bench_figures: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2
    server, display = start_xvfb()
    if not display:
        print("bench_figures: Xvfb is missing or did not start", file=sys.stderr)
        return 2
    try:
        with_display, without_display, cpu = [], [], None
        for run in range(args.runs):
            times, run_cpu = one_run(binary, display, args.idle if run == 0 else 0)
            if times is None:
                print("bench_figures: could not reach E5C08", file=sys.stderr)
                return 2
            with_display.append(times)
            cpu = run_cpu if run == 0 else cpu
            times, _ = one_run(binary, None, 0)
            without_display.append(times)
    finally:
        server.terminate()
        server.wait()

    shown, hidden = medians(with_display), medians(without_display)
    print(f"medians over {args.runs} runs, key to the end of the next question's screen"
          f" (the screen ends at {1000 * QUIET:.0f} ms of quiet, not counted)")
    print(f"{'step':<22}{'with display':>14}{'no display':>14}")
    for name in shown:
        print(f"{name:<22}{shown[name]:>11.1f} ms{hidden[name]:>11.1f} ms")
    # The program adds no pause after creating a window, so what a figure adds
    # is the window's creation (and the previous one's closing) alone: within
    # the target by construction; the figure shows what creation costs.
    added = shown["figure after figure"] - shown["plain"]
    print(f"a figure window adds {added:.1f} ms (closing one and creating the next; no pause"
          f" of up to {FIGURE_PAUSE_MS:g} ms is added); the first one"
          f" {shown['first figure'] - shown['plain']:.1f} ms (starts SDL video, and loads SDL2"
          f" unless a wrong answer's alert already did)")
    no_display_extra = max(hidden["first figure"], hidden["figure after figure"]) - hidden["plain"]
    no_display_ok = no_display_extra <= NO_DISPLAY_SLACK_MS
    print(f"without a display a figure step costs {no_display_extra:+.1f} ms against a plain one"
          f"  (target <= {NO_DISPLAY_SLACK_MS:g} ms: {'met' if no_display_ok else 'MISSED'})")
    total = sum(cpu)
    cpu_ok = total < CPU_TARGET_PERCENT
    print(f"waiting {args.idle:g} s on E5C10 with its window open: {total:.2f} % of one core"
          f" (main thread {cpu[0]:.2f} %, SDL and other threads {cpu[1]:.2f} %)"
          f"  (target < {CPU_TARGET_PERCENT:g} %: {'met' if cpu_ok else 'MISSED'})")
    return 0 if no_display_ok and cpu_ok else 1


if __name__ == "__main__":
    sys.exit(main())
