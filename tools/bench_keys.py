#!/usr/bin/env python3
"""Key benchmark: how soon the frame a drill key brings is finished on the
terminal, the first wrong answer of a run (the first alert) included.

Run from the repository root after building the release binary, for example:

    cmake --build build/release --target pentrill
    python3 tools/bench_keys.py                       # build/release/main/pentrill, 7 runs
    python3 tools/bench_keys.py --binary build/gcc/main/pentrill --runs 15

Each run starts the program afresh (`--no-record`, in a 100 x 43
pseudo-terminal, TERM=xterm-256color, no display) and opens a drill over E0
in random order. On its questions it presses Space twice (peek on, peek
off), then answers A until two answers have been wrong, and after each wrong
answer the key that goes on. Every key is sent just after the run clock's
tick, so that no tick falls into its frame, and is timed from the write of
the key to the last byte of the frame it brings (nothing more for 150 ms).
The first wrong answer of each run is the first alert of the process, which
brings up the sound; later ones find it up.

Prints, per kind of key (peek, right answer, first wrong answer, later wrong
answer, going on after a wrong answer), the median and the worst time.
Target: a median of at most 1 ms for every kind. Exit status: 0 when met, 1
when missed, 2 when the program is missing or could not be driven. A
benchmark, not a test: CI does not run it.
"""

import argparse
import os
import statistics
import sys
import tempfile

from pty_session import start

TARGET_MEDIAN_MS = 1.0
QUIET_SECONDS = 0.15  # a frame has ended when nothing more came for this long
TICK_WAIT_SECONDS = 1.2  # the run clock writes once a second
WRONG = b"Incorrect Answer"
QUESTION = b"Run Time"
KINDS = ("peek", "right answer", "first wrong answer", "later wrong answer", "going on after a wrong answer")


def after_tick(session):
    """Waits for the run clock's next tick to be written (every frame holds an
    escape sequence), and for its end."""
    session.mark()
    session.wait_for(b"\x1b", timeout=TICK_WAIT_SECONDS)
    session.read_until_quiet(0.02, 1)


def timed_key(session, key):
    """Sends the key after a tick; (milliseconds to the frame's last byte, its bytes)."""
    after_tick(session)
    session.mark()
    sent = session.send(key)
    session.read_until_quiet(QUIET_SECONDS, 10)
    if not session.output:
        return None, b""
    return 1000.0 * (session.last_read - sent), bytes(session.output)


def one_run(binary, times):
    """One fresh program: adds its timings to `times`; an error text or None."""
    with tempfile.TemporaryDirectory() as folder:
        session = start([binary, "--no-record"], cwd=folder)
        try:
            if not session.wait_for(b"Pick the sub element", timeout=10):
                return "no menu"
            session.read_until_quiet(0.3, 5)
            session.mark()
            session.send(b"0")
            if not session.wait_for(b"presented", timeout=10):
                return "no order question after 0"
            session.mark()
            session.send(b"r")
            if not session.wait_for(QUESTION, timeout=10):
                return "no drill question"
            session.read_until_quiet(0.3, 5)
            for _ in range(2):
                milliseconds, _ = timed_key(session, b" ")
                if milliseconds is None:
                    return "Space brought no frame"
                times["peek"].append(milliseconds)
            wrong = 0
            for _ in range(40):
                milliseconds, frame = timed_key(session, b"a")
                if milliseconds is None:
                    return "an answer brought no frame"
                if WRONG not in frame:
                    times["right answer"].append(milliseconds)
                    continue
                times["first wrong answer" if wrong == 0 else "later wrong answer"].append(milliseconds)
                wrong += 1
                milliseconds, _ = timed_key(session, b"x")
                if milliseconds is None:
                    return "the key after a wrong answer brought no frame"
                times["going on after a wrong answer"].append(milliseconds)
                if wrong == 2:
                    return None
            return "forty answers and not two of them wrong"
        finally:
            session.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/main/pentrill", help="the pentrill executable")
    parser.add_argument("--runs", type=int, default=7, help="fresh programs started (each has one first alert)")
    args = parser.parse_args()
    if not os.access(args.binary, os.X_OK):
        print(f"bench_keys: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2
    binary = os.path.abspath(args.binary)
    times = {kind: [] for kind in KINDS}
    for run in range(args.runs):
        problem = one_run(binary, times)
        if problem:
            print(f"bench_keys: run {run + 1}: {problem}", file=sys.stderr)
            return 2

    met = True
    print(f"key to finished frame in a drill, {args.runs} runs (target: median <= {TARGET_MEDIAN_MS:g} ms for every key)")
    for kind in KINDS:
        own = times[kind]
        if not own:  # every answer A of every run wrong, for example
            print(f"  {kind + ':':31} no keys")
            continue
        median = statistics.median(own)
        met = met and median <= TARGET_MEDIAN_MS
        print(f"  {kind + ':':31} median {median:6.2f} ms, worst {max(own):6.2f} ms, {len(own):3d} keys"
              f"  ({'met' if median <= TARGET_MEDIAN_MS else 'MISSED'})")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
