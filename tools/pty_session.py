"""A program driven in a pseudo-terminal, for the benchmark scripts.

`start` runs a program in a 100 x 43 pseudo-terminal (TERM=xterm-256color,
LANG=C.UTF-8, no display unless one is given); the returned `Session` reads
what the program writes, waits for texts or for quiet, sends keys and ends
the program. The functions below it read what the program costs from /proc:
CPU time and wake-ups of every thread, and memory.
"""

import errno
import fcntl
import glob
import os
import select
import signal
import struct
import termios
import time
from dataclasses import dataclass

ROWS, COLUMNS = 43, 100
# Variables that would change what the program (or `less`) shows or where.
_DROPPED_VARIABLES = ("LINES", "COLUMNS", "LESS", "LESSOPEN", "LESSCLOSE", "DISPLAY", "WAYLAND_DISPLAY")
_POLL_SECONDS = 0.01  # how often a stopping program is checked on


class Session:
    """A running program and the master side of its pseudo-terminal.

    `output` holds what the program wrote since the last `mark`; `last_read`
    is the monotonic time at which the latest bytes were read.
    """

    def __init__(self, pid, fd):
        self.pid = pid
        self.fd = fd
        self.output = bytearray()
        self.last_read = None
        self.hung_up = False  # every slave side is closed: nothing more can come
        self._status = None  # the wait status, once the program has been reaped

    def _read_chunk(self, seconds):
        """Waits up to `seconds` for output and reads it; returns the byte count.
        Once the terminal has hung up it only lets the time pass."""
        if self.hung_up:
            time.sleep(max(seconds, 0))
            return 0
        ready, _, _ = select.select([self.fd], [], [], max(seconds, 0))
        if not ready:
            return 0
        try:
            chunk = os.read(self.fd, 65536)
        except OSError as error:
            if error.errno != errno.EIO:
                raise
            chunk = b""
        if not chunk:
            self.hung_up = True
            return 0
        self.output += chunk
        self.last_read = time.monotonic()
        return len(chunk)

    def read_for(self, seconds):
        """Reads whatever arrives during the given time; returns the byte count."""
        deadline = time.monotonic() + seconds
        count = 0
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return count
            count += self._read_chunk(left)

    def wait_for(self, *texts, timeout):
        """Reads until every one of the byte strings is in the output since the
        last mark; False when the timeout passes or the program goes first."""
        deadline = time.monotonic() + timeout
        while not all(text in self.output for text in texts):
            left = deadline - time.monotonic()
            if left <= 0 or self.hung_up:
                return False
            self._read_chunk(left)
        return True

    def read_until_quiet(self, quiet, timeout):
        """Reads until nothing has arrived for `quiet` seconds; False when the
        output goes on until the timeout passes."""
        deadline = time.monotonic() + timeout
        while not self.hung_up:
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            if self._read_chunk(min(quiet, left)) == 0 and quiet <= left:
                return True
        return True

    def mark(self):
        """Forgets the output so far: later waits look only at what comes next."""
        self.output.clear()

    def send(self, keys):
        """Writes the keys to the program; returns the monotonic time just before."""
        sent = time.monotonic()
        os.write(self.fd, keys)
        return sent

    def poll(self):
        """The program's exit code once it has ended (minus the number of the
        signal that ended it), None while it runs."""
        if self._status is None:
            done, status = os.waitpid(self.pid, os.WNOHANG)
            if done:
                self._status = status
        return None if self._status is None else os.waitstatus_to_exitcode(self._status)

    def _wait(self, seconds):
        """Reads (so that the program never blocks on a full terminal) until it
        ends or the time passes; returns its exit code or None."""
        deadline = time.monotonic() + seconds
        while self.poll() is None:
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            self.read_for(min(_POLL_SECONDS, left))
        return self.poll()

    def wait_exit(self, timeout):
        """Waits for the program to end by itself; its exit code, or None when
        it still runs after the timeout (it is left running)."""
        status = self._wait(timeout)
        if status is not None:
            self._close()
        return status

    def stop(self, grace=5.0):
        """Ends the program: SIGTERM, then SIGKILL when it has not ended after
        `grace` seconds. Reaps it and closes the terminal; safe to repeat."""
        if self.poll() is None:
            os.kill(self.pid, signal.SIGTERM)
            if self._wait(grace) is None:
                os.kill(self.pid, signal.SIGKILL)
                _, self._status = os.waitpid(self.pid, 0)
        self._close()

    def _close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None


_STATE_HOME = None


def _state_home():
    """A study-record folder of this run's own, removed at its end: the
    program under measurement never writes to the user's own record."""
    global _STATE_HOME
    if _STATE_HOME is None:
        import atexit
        import shutil
        import tempfile
        _STATE_HOME = tempfile.mkdtemp(prefix="pentrill-bench-state-")
        atexit.register(shutil.rmtree, _STATE_HOME, True)
    return _STATE_HOME


def environment(extra=None):
    """This process's environment without the variables that would size the
    terminal, steer `less` or open windows, with TERM and LANG set, a
    study-record folder of the run's own, and the extra variables added."""
    env = {key: value for key, value in os.environ.items() if key not in _DROPPED_VARIABLES}
    env.update(TERM="xterm-256color", LANG="C.UTF-8", XDG_STATE_HOME=_state_home())
    env.update(extra or {})
    return env


def start(argv, env=None, cwd=None):
    """Starts argv (argv[0] a path, or a name looked up on PATH) in a new
    ROWS x COLUMNS pseudo-terminal, with `environment(env)`, in `cwd` (or here)."""
    full_env = environment(env)
    pid, fd = os.forkpty()
    if pid == 0:
        try:
            # Sized before the program runs, so that it never sees another size.
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
            if cwd is not None:
                os.chdir(cwd)
            os.execvpe(argv[0], argv, full_env)
        finally:
            os._exit(127)
    return Session(pid, fd)


def _per_thread(pid, name, read):
    """{thread id: read(text of /proc/<pid>/task/<tid>/<name>)} for every thread."""
    values = {}
    for path in glob.glob(f"/proc/{pid}/task/*/{name}"):
        try:
            with open(path) as source:
                values[int(path.split("/")[-2])] = read(source.read())
        except (FileNotFoundError, ProcessLookupError):  # a thread that just ended
            pass
    return values


def thread_cpu_nanoseconds(pid):
    """{thread id: CPU time in ns} from schedstat: finer than the clock ticks of stat."""
    return _per_thread(pid, "schedstat", lambda text: int(text.split()[0]))


def thread_wakeups(pid):
    """{thread id: voluntary context switches}, that is how often each thread woke up."""
    def read(text):
        for line in text.splitlines():
            if line.startswith("voluntary_ctxt_switches:"):
                return int(line.split()[1])
        return 0
    return _per_thread(pid, "status", read)


def used_between(before, after):
    """{thread id: what it used between two per-thread readings}. A thread that
    began in between counts whole; one that ended in between is left out,
    rather than taking its earlier use off the others'."""
    return {tid: value - before.get(tid, 0) for tid, value in after.items()}


def memory_mb(pid, field):
    """A memory field of /proc/<pid>/status (VmRSS, VmHWM, ...) in MB."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


@dataclass
class IdleCost:
    """What a program cost while nothing was typed."""
    seconds: float
    output_bytes: int
    cpu_nanoseconds: dict  # {thread id: CPU time used during the measurement, ns}
    wakeups: dict  # {thread id: wake-ups during the measurement}

    @property
    def cpu_seconds(self):
        return sum(self.cpu_nanoseconds.values()) / 1e9

    @property
    def cpu_percent(self):
        return 100.0 * self.cpu_seconds / self.seconds

    @property
    def bytes_per_second(self):
        return self.output_bytes / self.seconds

    @property
    def wakeups_per_second(self):
        return sum(self.wakeups.values()) / self.seconds


def measure_idle(session, seconds):
    """Reads the program's output for the given time without typing anything;
    returns its CPU time, bytes written and wake-ups over that time."""
    cpu_before = thread_cpu_nanoseconds(session.pid)
    wakeups_before = thread_wakeups(session.pid)
    clock_before = time.monotonic()
    output = session.read_for(seconds)
    elapsed = time.monotonic() - clock_before
    cpu = used_between(cpu_before, thread_cpu_nanoseconds(session.pid))
    wakeups = used_between(wakeups_before, thread_wakeups(session.pid))
    return IdleCost(elapsed, output, cpu, wakeups)
