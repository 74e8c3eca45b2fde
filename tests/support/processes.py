"""Processes and checks for the tests: a failed check, bounded waits, ending what a test started by its pid, the
measured figures a test keeps, and the Unix processes behind a command. Python 3 standard library only.

Every wait polls with a deadline; nothing sleeps for a fixed time to decide a result.
"""

import os
import shutil
import signal
import subprocess
import time


class TestFailure(Exception):
    pass


class Skipped(Exception):
    """The test cannot run on this machine (for example without root); the runner exits with SKIPPED."""


def log(text):
    print("[%7.2f] %s" % (time.monotonic() % 10000, text), flush=True)


def check(condition, what):
    """Fails the test with `what` unless `condition` holds."""
    if not condition:
        raise TestFailure(what)


def poll(condition, seconds, interval=0.2):
    """Calls `condition()` until it returns a true value or `seconds` pass; returns its last value."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def wait_for(condition, seconds, what, interval=0.2):
    """Polls `condition()` until it is true (returns its value) or fails after `seconds`."""
    value = poll(condition, seconds, interval)
    if not value:
        raise TestFailure("timed out after %g s waiting for %s" % (seconds, what))
    return value


def stop(popen, grace=5):
    """Ends a process this test started, by its pid: TERM (a `timeout` in front passes it on), then KILL."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if popen.poll() is not None:
            return
        try:
            os.kill(popen.pid, sig)
        except ProcessLookupError:
            return
        try:
            popen.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass


def record(folder, name, seconds):
    """Keeps a measured time with the test's output (measurements.txt) and in the log."""
    log("measured %s = %.3f s" % (name, seconds))
    with open(os.path.join(folder, "measurements.txt"), "a") as f:
        f.write("%s %.3f\n" % (name, seconds))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def unix_processes(needle, environ_entry=None):
    """Unix pids of processes whose command line holds `needle` (and whose environment holds `environ_entry`,
    for example "WINEPREFIX=/path")."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            cmdline = read_bytes("/proc/%s/cmdline" % entry).replace(b"\0", b" ").decode("utf-8", "replace")
            environ = read_bytes("/proc/%s/environ" % entry).split(b"\0") if environ_entry else []
        except OSError:
            continue
        if needle in cmdline and (environ_entry is None or environ_entry.encode() in environ):
            found.append(int(entry))
    return found


def first_argument(pid):
    """argv[0] of a Unix process, or "" when it is gone."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read().split(b"\0")[0].decode("utf-8", "replace")
    except OSError:
        return ""


def privileged():
    """The command prefix that runs as root: none when root, sudo without a password, or None."""
    if os.geteuid() == 0:
        return []
    if shutil.which("sudo") and subprocess.run(["sudo", "-n", "true"], capture_output=True).returncode == 0:
        return ["sudo", "-n"]
    return None
