"""The host under Wine for the end-to-end tests: its traced cursor calls, the moment its process ends, the
renderer's Unix process, and how long the host may outlive its renderer."""

import os
import re
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from processes import read_bytes  # noqa: E402

# The host's and the renderer's own cursor calls, traced by Wine with the Windows process id in front.
TRACE_ENV = {"WINEDEBUG": "+pid,+cursor"}

SHOW_CURSOR = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:trace:cursor:NtUserShowCursor (\d), count=(-?\d+)")

# How long the host may outlive its renderer: it waits on the renderer's process, not for a timer tick.
HOST_FOLLOWS_SECONDS = 0.3


def cursor_calls(program, windows_pid):
    """(show flag, resulting count) of every ShowCursor the process with this Windows pid made."""
    with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    calls = []
    for line in lines:
        m = SHOW_CURSOR.match(line)
        if m and int(m.group(1), 16) == windows_pid:
            calls.append((int(m.group(2)), int(m.group(3))))
    return calls


def renderer_unix_pid(s, seconds=20):
    pids = s.wait_for(lambda: [p for p in s.unix_processes("Orvalis.dll")
                               if "Orvalis.scr" not in read_bytes("/proc/%d/cmdline" % p).decode("utf-8", "replace")],
                      seconds, "the renderer's process")
    return min(pids)


class EndClock:
    """The moment a program's process ends, from a thread blocked on it (a wait with a timeout polls in steps of
    up to 50 ms, too coarse to time the host's end)."""

    def __init__(self, program):
        self.at = None
        self.code = None
        self.thread = threading.Thread(target=self._wait, args=(program,), daemon=True)
        self.thread.start()

    def _wait(self, program):
        self.code = program.popen.wait()
        self.at = time.monotonic()

    def wait(self, seconds):
        """The exit code, or None when the program still runs after `seconds`."""
        self.thread.join(seconds)
        return self.code if self.at is not None else None
