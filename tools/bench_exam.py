#!/usr/bin/env python3
"""Exam benchmark: what pentrill costs while a practice exam question waits,
and how soon a key's new screen reaches the terminal.

Run from the repository root after building, for example:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill pentrill_bench_compose
    build/release/tools/pentrill_bench_compose        # composition time
    python3 tools/bench_exam.py                       # build/release/main/pentrill, 30 s idle
    python3 tools/bench_exam.py --binary build/gcc/main/pentrill --seconds 10 --keys 60

It starts the program in a 100 x 43 pseudo-terminal (TERM=xterm-256color),
presses P at the menu and waits for the first exam question. Then:

- idle: touches nothing for the given time while it reads the CPU time of
  all the program's threads and counts the bytes written to the terminal (targets: under 1 % of
  one core, under 200 bytes/s; the exam has no clock, so about 0 is expected);
- latency: sends keys one at a time (Next, Prev and Review in turn), each
  after the screen has been quiet, and times from the write of the key to
  the last byte of the frame it causes (target: within one 20 ms input poll).

Exit status: 0 when every target is met, 1 when one is missed, 2 when the
program is missing or could not be driven to the exam. A benchmark, not a
test: CI does not run it.
"""

import argparse
import os
import statistics
import sys

from pty_session import measure_idle, start

CPU_TARGET_PERCENT = 1.0
BYTES_TARGET_PER_SECOND = 200.0
LATENCY_TARGET_MS = 20.0
QUIET_SECONDS = 0.15  # a frame has ended when nothing more came for this long


def reach_exam(session):
    """Menu -> P -> the first question of the exam."""
    if not session.read_until_quiet(0.5, 10):
        return "the menu never settled"
    session.mark()
    session.send(b"P")
    if not session.wait_for(b"Stop Exam", timeout=10):
        return "no exam screen (no \"Stop Exam\") after P"
    session.read_until_quiet(0.5, 5)
    return None


def frame_after(session, key):
    """Sends a key; returns (milliseconds to the frame's last byte, bytes)."""
    session.mark()
    sent = session.send(key)
    session.read_until_quiet(QUIET_SECONDS, 10)
    if not session.output:
        return None, 0
    return 1000.0 * (session.last_read - sent), len(session.output)


def measure_latency(session, keys):
    # Next and Prev move between questions 1 and 2; Review turns the panel
    # on and off (its frame is the largest).
    cycle = [b"N", b"P", b"R", b"N", b"R", b"P"]
    results = []
    for i in range(keys):
        milliseconds, count = frame_after(session, cycle[i % len(cycle)])
        if milliseconds is None:
            return None
        results.append((cycle[i % len(cycle)].decode(), milliseconds, count))
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/main/pentrill", help="the pentrill executable")
    parser.add_argument("--seconds", type=float, default=30.0, help="length of the idle measurement")
    parser.add_argument("--keys", type=int, default=60, help="keys sent for the latency measurement")
    args = parser.parse_args()
    if not os.access(args.binary, os.X_OK):
        print(f"bench_exam: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2

    session = start([os.path.abspath(args.binary)])
    try:
        problem = reach_exam(session)
        if problem:
            print(f"bench_exam: {problem}", file=sys.stderr)
            return 2
        idle = measure_idle(session, args.seconds)
        latencies = measure_latency(session, args.keys)
        if latencies is None:
            print("bench_exam: a key brought no new screen", file=sys.stderr)
            return 2
    finally:
        session.stop()

    times = [ms for _, ms, _ in latencies]
    worst = max(times)
    cpu_ok = idle.cpu_percent < CPU_TARGET_PERCENT
    bytes_ok = idle.bytes_per_second < BYTES_TARGET_PER_SECOND
    latency_ok = worst <= LATENCY_TARGET_MS
    print(f"idle for {idle.seconds:.1f} s on an exam question")
    print(f"CPU time:  {idle.cpu_seconds:.3f} s = {idle.cpu_percent:.2f} % of one core"
          f"  (target < {CPU_TARGET_PERCENT:g} %: {'met' if cpu_ok else 'MISSED'})")
    print(f"output:    {idle.output_bytes} bytes = {idle.bytes_per_second:.1f} bytes/s"
          f"  (target < {BYTES_TARGET_PER_SECOND:g}: {'met' if bytes_ok else 'MISSED'})")
    print(f"key to finished frame, {len(times)} keys: median {statistics.median(times):.1f} ms,"
          f" worst {worst:.1f} ms  (target <= {LATENCY_TARGET_MS:g} ms: {'met' if latency_ok else 'MISSED'})")
    for key in sorted({k for k, _, _ in latencies}):
        own = [(ms, n) for k, ms, n in latencies if k == key]
        print(f"  {key}: median {statistics.median(ms for ms, _ in own):.1f} ms,"
              f" worst {max(ms for ms, _ in own):.1f} ms, median frame {statistics.median(n for _, n in own):.0f} bytes")
    return 0 if cpu_ok and bytes_ok and latency_ok else 1


if __name__ == "__main__":
    sys.exit(main())
