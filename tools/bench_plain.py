#!/usr/bin/env python3
"""Benchmark: plain mode (--plain), started and driven through pipes.

Run from the repository root after building the release binary (what
`bash tools/run.sh` builds):

    python3 tools/bench_plain.py                       # build/release/main/pentrill
    python3 tools/bench_plain.py --binary build/gcc/main/pentrill --starts 51 --exams 11

It prints, for the program without its study record (--no-record):

- start-up: from starting the process to its first menu line on the pipe,
  the median of --starts starts, beside /bin/echo's first line measured the
  same way (what starting any process from this script costs);
- a whole practice exam driven through a pipe (P, an answer to each of the
  50 questions, S and Y, then Q): the CPU time of the process (user and
  system, from the kernel's accounting of the finished child), the median
  of --exams runs;
- with a study record of 50,000 answers (written by pentrill_bench_record
  beside the binary's build), the time from a run's first answer, typed at
  a person's pace, to the line that says right or wrong, beside the second
  answer's: the first answer must not wait for the record's checks.

Targets: start-up under 5 ms; the exam under 0.5 s of CPU. Exit status 0
when both are met, 1 when one is missed, 2 when the program could not be
driven. This is a benchmark, not a test: its figures depend on the machine
and its load.
"""

import argparse
import os
import shutil
import tempfile
import resource
import statistics
import subprocess
import sys
import time

START_TARGET_MS = 5.0
EXAM_TARGET_S = 0.5


def environment():
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["LANG"] = "C.UTF-8"
    return env


def start_ms(command):
    """Milliseconds from starting the process (posix_spawn, the least a
    start from here costs) to its first line on the pipe."""
    to_child, from_parent = os.pipe()
    to_parent, from_child = os.pipe()
    env = environment()
    begun = time.perf_counter()
    pid = os.posix_spawn(command[0], command, env, file_actions=[
        (os.POSIX_SPAWN_DUP2, to_child, 0), (os.POSIX_SPAWN_DUP2, from_child, 1),
        (os.POSIX_SPAWN_OPEN, 2, "/dev/null", os.O_WRONLY, 0)])
    os.close(to_child)
    os.close(from_child)
    first = b""
    while b"\n" not in first:
        chunk = os.read(to_parent, 4096)
        if not chunk:
            break
        first += chunk
    elapsed = (time.perf_counter() - begun) * 1000
    os.close(from_parent)
    while os.read(to_parent, 65536):
        pass
    os.close(to_parent)
    os.waitpid(pid, 0)
    if b"\n" not in first:
        raise RuntimeError("no menu line")
    return elapsed


def exam_cpu_seconds(binary):
    """CPU seconds of a whole exam through a pipe."""
    script = "p\n" + "a\n" * 50 + "s\ny\nq\n"
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run([binary, "--plain", "--no-record"], input=script.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, env=environment(), check=False)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0 or b"Your Status:" not in done.stdout:
        raise RuntimeError("the exam did not end in its results")
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def answer_ms(binary, record):
    """Milliseconds from the first and second answers of a drill, each typed
    0.3 s after its question, to the line that answers them."""
    process = subprocess.Popen([binary, "--plain", "--record", record, "--pool", "2024-2028"],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               env=environment(), bufsize=0)

    def line_starting(prefix):
        while True:
            line = process.stdout.readline()
            if not line:
                raise RuntimeError("the drill ended early")
            if line.startswith(prefix):
                return

    times = []
    try:
        line_starting(b"Type 0 to 9")
        for typed, prefix in ((b"1\n", b"Do you want"), (b"s\n", b"Start with"), (b"1\n", b"Answer A")):
            process.stdin.write(typed)
            line_starting(prefix)
        for _ in range(2):
            time.sleep(0.3)
            begun = time.perf_counter()
            process.stdin.write(b"a\n")
            process.stdout.readline()
            times.append((time.perf_counter() - begun) * 1000)
            line_starting(b"Answer A")
    finally:
        process.stdin.close()
        process.wait()
    return times


def record_answers(binary, runs):
    """The first and second answers' times over `runs` runs, each on a fresh
    copy of a record of 50,000 answers; None without the record's writer."""
    writer = os.path.join(os.path.dirname(os.path.dirname(binary)), "tools", "pentrill_bench_record")
    if not os.access(writer, os.X_OK):
        return None
    with tempfile.TemporaryDirectory() as folder:
        original = os.path.join(folder, "original.sqlite3")
        subprocess.run([writer, "--write", original, "50000"], check=True, stdout=subprocess.DEVNULL)
        firsts, seconds = [], []
        for run in range(runs):
            copy = os.path.join(folder, f"run{run}.sqlite3")
            shutil.copy(original, copy)
            first, second = answer_ms(binary, copy)
            firsts.append(first)
            seconds.append(second)
    return firsts, seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", default="build/release/main/pentrill")
    parser.add_argument("--starts", type=int, default=31)
    parser.add_argument("--exams", type=int, default=7)
    args = parser.parse_args()
    try:
        starts = [start_ms([args.binary, "--plain", "--no-record"]) for _ in range(args.starts)]
        echoes = [start_ms(["/bin/echo", "menu"]) for _ in range(args.starts)]
        exams = [exam_cpu_seconds(args.binary) for _ in range(args.exams)]
        answers = record_answers(args.binary, args.exams)
    except (OSError, RuntimeError, subprocess.CalledProcessError) as error:
        print(f"bench_plain: {error}", file=sys.stderr)
        return 2
    start = statistics.median(starts)
    exam = statistics.median(exams)
    print(f"start-up to the first menu line: {start:.2f} ms median of {len(starts)} "
          f"(min {min(starts):.2f}, max {max(starts):.2f}); target under {START_TARGET_MS} ms")
    print(f"/bin/echo's line the same way: {statistics.median(echoes):.2f} ms median (min {min(echoes):.2f})")
    print(f"a 50-question exam through a pipe: {exam * 1000:.1f} ms of CPU median of {len(exams)} "
          f"(max {max(exams) * 1000:.1f}); target under {EXAM_TARGET_S * 1000:.0f} ms")
    if answers:
        first, second = (statistics.median(times) for times in answers)
        print(f"with a record of 50,000 answers: the first answer's line {first:.2f} ms median of "
              f"{len(answers[0])} (max {max(answers[0]):.2f}), the second's {second:.2f} ms")
    else:
        print("with a record of 50,000 answers: not measured (build pentrill_bench_record)")
    return 0 if start < START_TARGET_MS and exam < EXAM_TARGET_S else 1


if __name__ == "__main__":
    sys.exit(main())
