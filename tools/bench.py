#!/usr/bin/env python3
"""Benchmark: what pentrill costs to start and to wait, beside `less`.

Run from the repository root after building the release binary (what
`bash tools/run.sh` builds), for example:

    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF
    cmake --build build/release --target pentrill
    python3 tools/bench.py                          # build/release/main/pentrill
    python3 tools/bench.py --starts 31 --idle-seconds 60
    python3 tools/bench.py --binary build/gcc/main/pentrill
    python3 tools/bench.py --record-answers 0       # without the study-record run

Everything runs in a 100 x 43 pseudo-terminal (TERM=xterm-256color) on this
machine, in one run, and is printed side by side:

- start-up of the program without its study record (`--no-record`): from
  starting the process to the full menu on the terminal (its last line has
  arrived), the median of --starts starts; the same for `less` showing a
  short text (its text and its prompt), as the reference;
- idle cost at the menu and on a drill question (subelement 0, random order):
  CPU time of all threads (from /proc/<pid>/task/*/schedstat, in ns), bytes
  written to the terminal, and the process's voluntary context switches, that
  is how often it woke up, each per second over --idle-seconds;
- resident memory (VmRSS) at the menu and on the drill question, and the
  peak (VmHWM);
- the size of the binary once stripped (`strip`, as the Debian package
  installs it);
- with a study record of --record-answers answers (50,000 by default),
  written through the program's own store by pentrill_bench_record (built
  beside the binary: `cmake --build build/release --target
  pentrill_bench_record`, or --record-writer): start-up to the full menu
  including the record's rows 22 and 24 beside the same `less` start-up, and
  resident memory at the menu and, after a look at the progress screen, on
  the first drill question and again after 10 answers
  (which the record must then hold, as `--export-record` lists them).

Targets: start-up at most 1.6 times that of `less`, and with the record at
most 1.2 times that of a minimal ncurses program painting the same menu
and rows (pentrill_menu_reference, built beside the binary: `cmake --build
build/release --target pentrill_menu_reference`, or --reference); under 0.05 % of one core
idle at the menu and on the question; at most 40 bytes/s on the question;
under 5 MB resident on the question (6 MB with the study record); the
stripped binary under 3.5 MB (four pools). Exit status: 0 when every target is
met, 1 when one is missed, 2 when the program could not be driven.

`--check-start` only checks that the binary starts in a pseudo-terminal and
shows its menu, then ends it with Esc; `--check-size` only prints the
stripped size and checks it, and that the program links no iostreams (CI
runs both on the release build).

This is a benchmark, not a test: its figures depend on the machine and load.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

from pty_session import COLUMNS, measure_idle, memory_mb, start

MENU_LAST_LINE = b"Pick the sub element you want to practice (0-9, P, ?)"
STARTUP_RATIO_TARGET = 1.6
# With the study record, beside a minimal ncurses program painting the same
# menu and rows (tools/menu_reference.cpp).
REFERENCE_RATIO_TARGET = 1.2
CPU_TARGET_PERCENT = 0.05
BYTES_TARGET_PER_SECOND = 40.0
MEMORY_TARGET_MB = 5.0
RECORD_MEMORY_TARGET_MB = 6.0
# Memory is measured on the first drill question and again after this many
# answers, once the record has written some.
ANSWERS_BEFORE_MEASURING = 10
RECORD_ROWS = (b"Chance of passing an exam today: ", b"T. Progress")
STRIPPED_SIZE_TARGET = 3_500_000  # bytes, with the four pools


def startup_seconds(argv, ready_texts, timeout=10.0):
    before = time.perf_counter()
    session = start(argv)
    try:
        if not session.wait_for(*ready_texts, timeout=timeout):
            return None
        return time.perf_counter() - before
    finally:
        session.stop()


def median_startup(argv, ready_texts, starts):
    times = []
    for _ in range(starts):
        seconds = startup_seconds(argv, ready_texts)
        if seconds is None:
            return None, []
        times.append(seconds)
    return statistics.median(times), times


def verdict(met):
    return "met" if met else "MISSED"


def stripped_size(binary):
    """The binary's size once stripped, in bytes; None when strip fails."""
    with tempfile.TemporaryDirectory() as folder:
        stripped = os.path.join(folder, "pentrill")
        if subprocess.run(["strip", "-o", stripped, binary]).returncode != 0:
            return None
        return os.path.getsize(stripped)


def size_line(size):
    return (f"stripped binary: {size} bytes ({size / 1e6:.2f} MB;"
            f" target < {STRIPPED_SIZE_TARGET / 1e6:g} MB: {verdict(size < STRIPPED_SIZE_TARGET)})")


# The C++ library is linked statically: one use of iostreams brings its
# streams and every locale facet (0.65 MB of code, about 0.7 MB resident at
# start-up), so the program writes through stdio instead.
IOSTREAM_INIT_SYMBOL = "_ZNSt8ios_base4InitC"


def links_iostreams(binary):
    """Whether the (unstripped) binary holds the iostream start-up code;
    None when nm cannot read it."""
    listed = subprocess.run(["nm", binary], capture_output=True, text=True)
    if listed.returncode != 0:
        return None
    return IOSTREAM_INIT_SYMBOL in listed.stdout


def check_size(binary):
    size = stripped_size(binary)
    if size is None:
        print(f"bench: strip failed on {binary}", file=sys.stderr)
        return 2
    print(size_line(size))
    iostreams = links_iostreams(binary)
    if iostreams:
        print(f"{binary} links iostreams (std::ios_base::Init): write through stdio instead")
    return 0 if size < STRIPPED_SIZE_TARGET and iostreams is False else 1


def check_start(binary):
    session = start([binary])
    try:
        if not session.wait_for(MENU_LAST_LINE, timeout=20):
            print(f"bench: {binary} did not show its menu in a pseudo-terminal", file=sys.stderr)
            return 1
        session.send(b"\x1b")
        status = session.wait_exit(20)
        if status != 0:
            print(f"bench: {binary} did not end with status 0 after Esc (status {status})", file=sys.stderr)
            return 1
    finally:
        session.stop()
    print(f"{binary} starts in a pseudo-terminal, shows its menu and ends on Esc")
    return 0


class ScreenText:
    """Just enough of a terminal to know which character the program last
    wrote at a place: cursor moves, line ends, erasures and repeats (what
    ncurses sends for xterm-256color); every other sequence is skipped."""

    SEQUENCE = re.compile(rb"\x1b\[([?>]?)([0-9;]*)([@-~])|\x1b[()][0-9A-Za-z]|\x1b[=>78]|[\r\n\b]|[^\x1b\r\n\b]")

    def __init__(self):
        self.cells = {}
        self.row, self.column, self.last = 1, 1, b" "

    def _put(self, character):
        self.cells[(self.row, self.column)] = character
        self.last = character
        self.column += 1

    def feed(self, data):
        for match in self.SEQUENCE.finditer(data):
            text = match.group(0)
            if match.group(3) is None:
                if text == b"\r":
                    self.column = 1
                elif text == b"\n":
                    self.row += 1
                elif text == b"\b":
                    self.column = max(1, self.column - 1)
                elif not text.startswith(b"\x1b"):
                    self._put(text)
                continue
            if match.group(1):
                continue
            numbers = [int(n) if n else 0 for n in match.group(2).split(b";")]
            count = max(numbers[0], 1)
            final = match.group(3)
            if final in (b"H", b"f"):
                self.row = max(numbers[0], 1)
                self.column = max(numbers[1], 1) if len(numbers) > 1 else 1
            elif final == b"G":
                self.column = count
            elif final == b"d":
                self.row = count
            elif final in (b"A", b"B", b"C", b"D"):
                self.row += {b"A": -count, b"B": count}.get(final, 0)
                self.column += {b"C": count, b"D": -count}.get(final, 0)
            elif final == b"b":
                for _ in range(count):
                    self._put(self.last)
            elif final in (b"K", b"X"):
                last = COLUMNS if final == b"K" else self.column + count - 1
                for column in range(self.column, last + 1):
                    self.cells.pop((self.row, column), None)
            elif final == b"J":
                self.cells.clear()

    def at(self, row, column):
        return self.cells.get((row, column), b" ")


def answer_drill_questions(session, count):
    """Turns peek on and answers `count` drill questions right, reading the
    correct letter where peek shows it (row 2, column 21), so that no wrong
    answer's alert loads the sound library into the measured program. False
    when the drill stops answering or an answer was wrong."""
    screen = ScreenText()
    screen.feed(bytes(session.output))
    session.mark()
    session.send(b" ")
    for _ in range(count):
        if not session.read_until_quiet(0.3, 5):
            return False
        screen.feed(bytes(session.output))
        letter = screen.at(2, 21)
        if letter not in (b"A", b"B", b"C", b"D") or b"Incorrect Answer" in session.output:
            return False
        session.mark()
        session.send(letter)
    return session.read_until_quiet(0.3, 5) and b"Incorrect Answer" not in session.output


def drill_question_memory(argv, answers=ANSWERS_BEFORE_MEASURING, progress_first=False):
    """Resident memory (MB) at the menu, on the first drill question
    (subelement 0, random order), on the question after `answers` answers,
    and the peak; None when the program could not be driven. With
    `progress_first` the progress screen (T) is shown and left first."""
    session = start(argv)
    try:
        if not session.wait_for(MENU_LAST_LINE, timeout=10) or not session.read_until_quiet(0.5, 10):
            return None
        menu_rss = memory_mb(session.pid, "VmRSS")
        if progress_first:
            session.mark()
            session.send(b"T")
            if not session.wait_for(b"Chance of passing at the end", timeout=10):
                return None
            session.read_until_quiet(0.3, 5)
            session.mark()
            session.send(b"x")
            if not session.wait_for(MENU_LAST_LINE, timeout=10):
                return None
            session.read_until_quiet(0.3, 5)
        session.mark()
        session.send(b"0")
        if not session.wait_for(b"equence", timeout=10):
            return None
        session.read_until_quiet(0.3, 5)
        session.send(b"R")
        if not session.wait_for(b"Run Time", timeout=10):
            return None
        session.read_for(1.5)
        first_rss = memory_mb(session.pid, "VmRSS")
        if not answer_drill_questions(session, answers):
            return None
        session.read_for(1.0)
        return menu_rss, first_rss, memory_mb(session.pid, "VmRSS"), memory_mb(session.pid, "VmHWM")
    finally:
        session.stop()


def exported_answers(binary, record):
    """How many answers of the 2024-2028 pool `pentrill --export-record`
    lists; None on failure."""
    done = subprocess.run([binary, "--pool", "2024-2028", "--record", record, "--export-record"],
                          capture_output=True)
    if done.returncode != 0:
        return None
    return len(done.stdout.splitlines()) - 1


def record_run(binary, writer, answers, starts, less_median, reference_median):
    """Start-up and memory on a record of `answers` answers: printed lines and
    whether the targets are met; None when it could not be run."""
    if not os.access(writer, os.X_OK):
        print(f"bench: {writer} is not an executable; build pentrill_bench_record or pass --record-writer",
              file=sys.stderr)
        return None
    with tempfile.TemporaryDirectory(prefix="pentrill-bench-record-") as folder:
        record = os.path.join(folder, "record.sqlite3")
        before = time.perf_counter()
        if subprocess.run([writer, "--write", record, str(answers)]).returncode != 0:
            print("bench: the record could not be written", file=sys.stderr)
            return None
        written = time.perf_counter() - before
        argv = [binary, "--pool", "2024-2028", "--record", record]
        median, times = median_startup(argv, [MENU_LAST_LINE, *RECORD_ROWS], starts)
        memory = drill_question_memory(argv, progress_first=True)
        if median is None or memory is None:
            print("bench: the program did not show its menu with the record's rows", file=sys.stderr)
            return None
        recorded = exported_answers(binary, record)
        if recorded != answers + ANSWERS_BEFORE_MEASURING:
            print(f"bench: the record holds {recorded} answers, not {answers} + {ANSWERS_BEFORE_MEASURING}",
                  file=sys.stderr)
            return None
    ratio = median / less_median
    reference_ratio = median / reference_median
    met = [ratio <= STARTUP_RATIO_TARGET, max(memory[1], memory[2]) < RECORD_MEMORY_TARGET_MB,
           reference_ratio <= REFERENCE_RATIO_TARGET]
    lines = [
        f"with a study record of {answers} answers (written in {written:.1f} s):",
        f"  start-up to the full menu and its rows 22 and 24, median of {starts}: {median * 1000:.1f} ms"
        f" (min {min(times) * 1000:.1f}, max {max(times) * 1000:.1f});"
        f" ratio to less {ratio:.2f} (target <= {STARTUP_RATIO_TARGET}: {verdict(met[0])}),"
        f" to the minimal ncurses menu {reference_ratio:.2f} (target <= {REFERENCE_RATIO_TARGET}: {verdict(met[2])})",
        f"  resident memory: menu {memory[0]:.2f} MB, then the progress screen and a drill:"
        f" first question {memory[1]:.2f} MB,"
        f" after {ANSWERS_BEFORE_MEASURING} recorded answers {memory[2]:.2f} MB"
        f" (target < {RECORD_MEMORY_TARGET_MB:g}: {verdict(met[1])}), peak {memory[3]:.2f} MB",
    ]
    return lines, met


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/main/pentrill", help="the pentrill executable")
    parser.add_argument("--starts", type=int, default=21, help="starts for each start-up median (at least 15)")
    parser.add_argument("--idle-seconds", type=float, default=30.0, help="length of each idle measurement")
    parser.add_argument("--record-answers", type=int, default=50_000,
                        help="answers in the study record of the record run (0: no record run)")
    parser.add_argument("--record-writer", help="pentrill_bench_record (default: in the binary's build folder)")
    parser.add_argument("--reference", help="pentrill_menu_reference (default: in the binary's build folder)")
    parser.add_argument("--check-start", action="store_true", help="only check that the binary starts")
    parser.add_argument("--check-size", action="store_true", help="only check the stripped binary's size")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        print(f"bench: {args.binary} is not an executable; build it or pass --binary", file=sys.stderr)
        return 2
    if args.check_start:
        return check_start(binary)
    if args.check_size:
        return check_size(binary)
    starts = max(args.starts, 15)

    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as text:
        text.write("".join(f"line {n} of a short text\n" for n in range(1, 11)) + "last line of the text\n")
    try:
        less_median, _ = median_startup(["less", text.name], [b"last line of the text", b"(END)"], starts)
    finally:
        os.unlink(text.name)
    # The program without the study record, as it was before it kept one:
    # the record's own costs are measured below, on a record of its own.
    ours = [binary, "--no-record"]
    ours_median, ours_times = median_startup(ours, [MENU_LAST_LINE], starts)
    reference = os.path.abspath(args.reference or os.path.join(os.path.dirname(os.path.dirname(binary)), "tools",
                                                               "pentrill_menu_reference"))
    reference_median, _ = median_startup([reference], [MENU_LAST_LINE, *RECORD_ROWS], starts)
    if ours_median is None or less_median is None or reference_median is None:
        print("bench: a program did not reach its first screen", file=sys.stderr)
        return 2

    session = start(ours)
    try:
        if not session.wait_for(MENU_LAST_LINE, timeout=10) or not session.read_until_quiet(0.5, 10):
            print("bench: the menu never settled", file=sys.stderr)
            return 2
        menu_rss = memory_mb(session.pid, "VmRSS")
        menu = measure_idle(session, args.idle_seconds)
        session.mark()
        session.send(b"0")
        if not session.wait_for(b"equence", timeout=10):
            print("bench: no order prompt after choosing subelement 0", file=sys.stderr)
            return 2
        session.read_until_quiet(0.3, 5)
        session.send(b"R")
        if not session.wait_for(b"Run Time", timeout=10):
            print("bench: no drill question after choosing random order", file=sys.stderr)
            return 2
        session.read_for(1.5)
        question = measure_idle(session, args.idle_seconds)
        question_rss = memory_mb(session.pid, "VmRSS")
        peak_rss = memory_mb(session.pid, "VmHWM")
    finally:
        session.stop()

    size = stripped_size(binary)
    if size is None:
        print(f"bench: strip failed on {binary}", file=sys.stderr)
        return 2
    record = None
    if args.record_answers > 0:
        writer = args.record_writer or os.path.join(os.path.dirname(os.path.dirname(binary)), "tools",
                                                    "pentrill_bench_record")
        record = record_run(binary, os.path.abspath(writer), args.record_answers, starts, less_median,
                            reference_median)
        if record is None:
            return 2
    ratio = ours_median / less_median
    results = [
        ratio <= STARTUP_RATIO_TARGET,
        menu.cpu_percent < CPU_TARGET_PERCENT,
        question.cpu_percent < CPU_TARGET_PERCENT,
        question.bytes_per_second <= BYTES_TARGET_PER_SECOND,
        question_rss < MEMORY_TARGET_MB,
        size < STRIPPED_SIZE_TARGET,
    ]
    print(f"pentrill: {binary}")
    print(f"start-up to the full menu, median of {starts}: {ours_median * 1000:.1f} ms"
          f" (min {min(ours_times) * 1000:.1f}, max {max(ours_times) * 1000:.1f})")
    print(f"less showing a short text, median of {starts}: {less_median * 1000:.1f} ms")
    print(f"a minimal ncurses program painting the same menu, median of {starts}: {reference_median * 1000:.1f} ms"
          f" (pentrill without the record: {ours_median / reference_median:.2f} of it)")
    print(f"ratio: {ratio:.2f} (target <= {STARTUP_RATIO_TARGET}: {verdict(results[0])})")
    print(f"idle for {args.idle_seconds:g} s each:")
    print(f"  menu:           {menu.cpu_percent:.4f} % of one core ({verdict(results[1])}),"
          f" {menu.bytes_per_second:.1f} bytes/s, {menu.wakeups_per_second:.2f} wake-ups/s")
    print(f"  drill question: {question.cpu_percent:.4f} % of one core ({verdict(results[2])}),"
          f" {question.bytes_per_second:.1f} bytes/s ({verdict(results[3])}),"
          f" {question.wakeups_per_second:.2f} wake-ups/s")
    print(f"resident memory: menu {menu_rss:.1f} MB, drill question {question_rss:.1f} MB"
          f" (target < {MEMORY_TARGET_MB:g}: {verdict(results[4])}), peak {peak_rss:.1f} MB")
    print(size_line(size))
    if record is not None:
        print("\n".join(record[0]))
        results += record[1]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
