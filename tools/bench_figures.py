#!/usr/bin/env python3
"""Figure-window benchmark: what a figure window costs a drill question.

Run from the repository root after building (Xvfb must be installed), e.g.:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill
    python3 tools/bench_figures.py                  # build/release/main/pentrill, 5 runs
    python3 tools/bench_figures.py --binary build/gcc/main/pentrill --runs 9 --idle 30

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
import os
import select
import statistics
import subprocess
import sys

from pty_session import measure_idle, start

START_ROW = 36  # E5C08: E5A and E5B hold 28 questions
# The steps, by the question they lead to: E5C09 plain, E5C10 first figure,
# E5C11 and E5C12 figure after figure, E5D01 after the last figure, E5D02 plain.
STEPS = ["plain", "first figure", "figure after figure", "figure after figure", "after last figure", "plain"]
QUIET = 0.06  # seconds without output that end a screen (a clock tick comes later, mostly)
FIGURE_PAUSE_MS = 50.0
CPU_TARGET_PERCENT = 1.0
NO_DISPLAY_SLACK_MS = 2.0


def press(session, key):
    """Sends a key with the output so far forgotten; returns when it was sent."""
    session.mark()
    return session.send(key)


def to_start(session):
    session.read_until_quiet(0.5, 10)
    press(session, b"5")
    if not session.wait_for(b"equence", timeout=10):
        return False
    session.read_until_quiet(0.3, 5)
    press(session, b"S")
    if not session.wait_for(b"Start with", timeout=10):
        return False
    session.read_until_quiet(0.3, 5)
    press(session, str(START_ROW).encode() + b"\r")
    session.read_until_quiet(QUIET, 20)
    return True


def screen_after(session, key):
    """Sends a key; the monotonic times of the key and of the last byte of the
    screen it brings (the key's own time when it brought nothing)."""
    sent = press(session, key)
    session.read_until_quiet(QUIET, 20)
    return sent, session.last_read if session.output else sent


def next_question(session):
    """Moves on with "a" (and a key after a wrong answer's message); ms to the new screen."""
    sent, last = screen_after(session, b"a")
    if b"Press any key" in session.output:
        sent, last = screen_after(session, b"x")
    return 1000.0 * (last - sent)


def one_run(binary, display, idle):
    env = {"SDL_AUDIODRIVER": "dummy"}
    if display:
        env["DISPLAY"] = display
    session = start([binary], env)
    try:
        if not to_start(session):
            return None, None
        times = [next_question(session) for _ in STEPS[:2]]
        cpu = None
        if idle:  # waiting on E5C10 with its window open
            # An alert of a wrong answer keeps its sound device open 2 s.
            session.read_for(3)
            cost = measure_idle(session, idle)
            main = cost.cpu_nanoseconds.get(session.pid, 0) / 1e9
            others = cost.cpu_seconds - main
            cpu = (100.0 * main / cost.seconds, 100.0 * others / cost.seconds)
        times += [next_question(session) for _ in STEPS[2:]]
        return times, cpu
    finally:
        session.stop()


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
    parser.add_argument("--binary", default="build/release/main/pentrill", help="the pentrill executable")
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
