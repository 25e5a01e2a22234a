#!/usr/bin/env python3
"""Benchmark: which pools' tables the program has in memory.

Run from the repository root after building the release binary (not
stripped: its symbols say where each pool's tables lie), for example:

    python3 tools/bench_pool_pages.py                       # build/release/main/pentrill
    python3 tools/bench_pool_pages.py --binary build/gcc/main/pentrill

For each pool the program carries it starts the program with `--pool NAME
--no-record` in a 100 x 43 pseudo-terminal (as tools/bench.py does) and, at
the menu and again on a drill question (subelement 0, random order), reads
/proc/<pid>/pagemap for the pages of every pool's tables: the symbols of
namespace pentrill::builtin::pool<name> (its question text, where each field
starts, the letters and figures, the groups). A page is "resident" when it is
mapped into the process, "written" when it is mapped but no longer the
binary's own page: the loader or the program wrote to it.

Target: the tables of the pools not in use have no page resident, and none
written. (The kernel maps pages the binary's file already has in the page
cache around each page read, up to 64 KiB; pages of another pool's tables
within that distance of those read would count as resident. The build keeps
each pool's figures between its tables and the next pool's, more than that
apart.)

Exit status: 0 when the target is met for every pool in use, 1 when not, 2
when the program could not be driven. This is a benchmark, not a test.
"""

import argparse
import os
import struct
import subprocess
import sys

from pty_session import start

MENU_LAST_LINE = b"Pick the sub element you want to practice (0-9, P, ?)"
PAGE = os.sysconf("SC_PAGE_SIZE")
PRESENT = 1 << 63
FILE_OR_SHARED = 1 << 61


def pool_names(binary):
    """The pools the binary carries, as --version lists them."""
    done = subprocess.run([binary, "--version"], capture_output=True, text=True, check=True)
    names = []
    for line in done.stdout.splitlines():
        fields = line.split()
        if line.startswith("    ") and not line.startswith("     ") and fields and any(c.isdigit() for c in fields[0]):
            names.append(fields[0])
    return names


def table_pages(binary, names):
    """The pages (by offset from the load address) of each pool's tables."""
    listed = subprocess.run(["nm", "--defined-only", "--demangle", "--print-size", binary],
                            capture_output=True, text=True, check=True).stdout
    pages = {name: set() for name in names}
    for line in listed.splitlines():
        fields = line.split(maxsplit=3)
        if len(fields) < 4:
            continue
        address, size, symbol = int(fields[0], 16), int(fields[1], 16), fields[3]
        for name in names:
            if symbol.startswith(f"pentrill::builtin::pool{name.replace('-', '_')}::") and size > 0:
                pages[name].update(range(address // PAGE, (address + size - 1) // PAGE + 1))
    return pages


def load_address(pid, binary):
    """Where the binary's first page is mapped in the process."""
    real = os.path.realpath(binary)
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            fields = line.split()
            if len(fields) >= 6 and fields[5] == real and int(fields[2], 16) == 0:
                return int(fields[0].split("-")[0], 16)
    raise RuntimeError(f"{binary} is not mapped in process {pid}")


def page_states(pid, base, pages):
    """(resident, written) counts of the pages."""
    resident = written = 0
    with open(f"/proc/{pid}/pagemap", "rb") as pagemap:
        for page in pages:
            pagemap.seek((base // PAGE + page) * 8)
            entry = struct.unpack("<Q", pagemap.read(8))[0]
            if entry & PRESENT:
                resident += 1
                if not entry & FILE_OR_SHARED:
                    written += 1
    return resident, written


def snapshot(session, binary, pages):
    base = load_address(session.pid, binary)
    return {name: page_states(session.pid, base, own) for name, own in pages.items()}


def run_pool(binary, in_use, pages):
    """Snapshots at the menu and on a drill question; None when not driven."""
    session = start([binary, "--pool", in_use, "--no-record"])
    try:
        if not session.wait_for(MENU_LAST_LINE, timeout=10) or not session.read_until_quiet(0.5, 10):
            return None
        menu = snapshot(session, binary, pages)
        session.mark()
        session.send(b"0")
        if not session.wait_for(b"equence", timeout=10):
            return None
        session.read_until_quiet(0.3, 5)
        session.send(b"R")
        if not session.wait_for(b"Run Time", timeout=10):
            return None
        session.read_for(1.0)
        return menu, snapshot(session, binary, pages)
    finally:
        session.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default="build/release/main/pentrill", help="the pentrill executable, not stripped")
    parser.add_argument("--pools", help="the pools, comma-separated (default: as --version lists them)")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    names = args.pools.split(",") if args.pools else pool_names(binary)
    pages = table_pages(binary, names)
    if not names or any(not own for own in pages.values()):
        print(f"bench: {args.binary} lists no pools, or has no symbols of their tables (stripped?)", file=sys.stderr)
        return 2
    print(f"pentrill: {binary}")
    print("pages of 4 KiB of each pool's tables: resident/written of all, at the menu; on a drill question")
    met = True
    for in_use in names:
        states = run_pool(binary, in_use, pages)
        if states is None:
            print(f"bench: the program with --pool {in_use} did not reach a drill question", file=sys.stderr)
            return 2
        print(f"--pool {in_use}:")
        for name in names:
            menu, question = states[0][name], states[1][name]
            others = name != in_use
            clean = not others or (menu == (0, 0) and question == (0, 0))
            met = met and clean
            note = "in use" if not others else ("untouched" if clean else "TOUCHED")
            print(f"  {name:22} {menu[0]:3}/{menu[1]:<3} of {len(pages[name]):3};"
                  f" {question[0]:3}/{question[1]:<3} ({note})")
    print(f"target: the pools not in use untouched: {'met' if met else 'MISSED'}")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
