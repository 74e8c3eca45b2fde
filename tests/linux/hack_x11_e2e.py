#!/usr/bin/env python3
"""The Linux program's window conventions on a private Xvfb: drawing into a given window and only there,
following its size, ending on SIGTERM and when the window goes away, its own window and Escape, pacing, and bad
command lines. ORVALIS_PROGRAM names the program, ORVALIS_TEST_WINDOW the tests' window helper."""
import os
import subprocess
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
import runner  # noqa: E402
from pictures import cloud_on_screen  # noqa: E402
from processes import check, poll, stop  # noqa: E402
from x11_support import Xvfb  # noqa: E402

PROGRAM = os.environ.get("ORVALIS_PROGRAM", "orvalis")
TEST_WINDOW = os.environ.get("ORVALIS_TEST_WINDOW", "test_window")


class TestWindow:
    """The helper's window at (x, y) of width x height; commands go through its standard input."""

    def __init__(self, xvfb, x, y, width, height):
        self.proc = subprocess.Popen([TEST_WINDOW, str(x), str(y), str(width), str(height)], env=xvfb.env(),
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.id = self.proc.stdout.readline().strip()
        check(self.id.startswith("0x"), f"the test window did not start (said '{self.id}')")

    def command(self, text):
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()
        check(self.proc.stdout.readline().strip() == "ok", f"the test window did not do '{text}'")

    def close(self):
        self.proc.stdin.close()
        stop(self.proc)


def start(xvfb, *args, env=None):
    return subprocess.Popen([PROGRAM, *args], env=env or xvfb.env(), stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


def wait_lit(xvfb, rect, name, timeout=10):
    """Screenshots until the cloud is on screen in the rectangle; the last picture."""
    pictures = []

    def lit():
        pictures.append(xvfb.screenshot())
        return cloud_on_screen(pictures[-1], *rect)

    if not poll(lit, timeout, interval=0.2):
        xvfb.screenshot(save_as=f"{name}.png")
        check(False, f"{name}: the lit share of {rect} stayed at {pictures[-1].lit_share(*rect):.4f}")
    return pictures[-1]


def wait_exit(proc, timeout):
    started = time.monotonic()
    try:
        rc = proc.wait(timeout)
    except subprocess.TimeoutExpired:
        stop(proc)
        check(False, f"orvalis did not end within {timeout} s")
    return rc, time.monotonic() - started


def test_given_window():
    """-window-id: lit pixels inside the window and none outside; a resize is followed; SIGTERM ends it."""
    with Xvfb() as xvfb:
        window = TestWindow(xvfb, 100, 80, 400, 300)
        proc = start(xvfb, "-window-id", window.id)
        try:
            picture = wait_lit(xvfb, (100, 80, 500, 380), "hack-window-id")
            outside = picture.lit_outside(100, 80, 500, 380, level=7)
            check(outside == 0, f"{outside} pixels outside the window are lit")
            xvfb.screenshot(save_as="hack-window-id.png")

            # Grown to 640 x 480: the picture must reach the new top right corner (GL's origin is the bottom
            # left, so a viewport left at the old size would leave that corner black).
            window.command("size 640 480")
            corner = (100 + 420, 80, 100 + 640, 80 + 160)
            lit_corner = [0]

            def corner_lit():
                shot = xvfb.screenshot()
                check(shot.lit_outside(100, 80, 740, 560, level=7) == 0, "lit pixels outside the grown window")
                lit_corner[0] += sum(shot.lit_mask(*corner))
                return lit_corner[0] > 300

            check(poll(corner_lit, 10, interval=0.2),
                  f"after the resize the new top right corner stayed dark ({lit_corner[0]} lit pixels)")
            xvfb.screenshot(save_as="hack-window-id-resized.png")

            proc.send_signal(15)
            rc, took = wait_exit(proc, 5)
            check(rc == 0, f"exit code {rc} after SIGTERM (stderr: {proc.stderr.read()})")
            check(took < 1.0, f"SIGTERM took {took:.2f} s to end it")
        finally:
            stop(proc)
            window.close()


def test_window_destroyed():
    """The window's end (DestroyNotify, then BadWindow on the way out) ends the program with 0, no crash."""
    with Xvfb() as xvfb:
        window = TestWindow(xvfb, 0, 0, 320, 240)
        proc = start(xvfb, "-window-id", window.id)
        try:
            wait_lit(xvfb, (0, 0, 320, 240), "hack-destroyed")
            window.command("destroy")
            rc, took = wait_exit(proc, 5)
            stderr = proc.stderr.read()
            check(rc == 0, f"exit code {rc} after the window went away (stderr: {stderr})")
            check("X error" not in stderr, f"unexpected X errors: {stderr}")
        finally:
            stop(proc)
            window.close()


def test_own_window_and_root():
    """Without a window: its own 1024 x 768 window "Orvalis", ended by Escape. -root: the whole screen, SIGINT."""
    with Xvfb("1280x1024") as xvfb:
        proc = start(xvfb)
        try:
            found = poll(lambda: subprocess.run(["xdotool", "search", "--name", "^Orvalis$"], env=xvfb.env(),
                                                    capture_output=True, text=True).stdout.split(), 10)
            check(found, "no window titled Orvalis appeared")
            geometry = subprocess.run(["xwininfo", "-id", found[0]], env=xvfb.env(), capture_output=True,
                                      text=True).stdout
            check("Width: 1024" in geometry and "Height: 768" in geometry, f"window geometry: {geometry}")
            wait_lit(xvfb, (0, 0, 1024, 768), "hack-own-window")
            subprocess.run(["xdotool", "mousemove", "500", "400"], env=xvfb.env(), check=True)
            subprocess.run(["xdotool", "key", "Escape"], env=xvfb.env(), check=True)
            rc, _ = wait_exit(proc, 5)
            check(rc == 0, f"exit code {rc} after Escape")
        finally:
            stop(proc)

        proc = start(xvfb, "-root")
        try:
            wait_lit(xvfb, (0, 0, 1280, 1024), "hack-root")
            # Over a few frames the lit pixels reach the screen's four edges: the root window's own size is used.
            seen = bytearray(1280 * 1024)
            for _ in range(4):
                for i, v in enumerate(xvfb.screenshot().lit_mask()):
                    seen[i] |= v
                time.sleep(0.2)
            rows = [y for y in range(1024) if any(seen[y * 1280:(y + 1) * 1280])]
            columns = [x for x in range(1280) if any(seen[x::1280])]
            check(rows and rows[0] < 100 and rows[-1] > 924 and columns[0] < 100 and columns[-1] > 1180,
                  f"the lit pixels do not span the root window: rows {rows[:1]}..{rows[-1:]}, "
                  f"columns {columns[:1]}..{columns[-1:]}")
            proc.send_signal(2)
            rc, took = wait_exit(proc, 5)
            check(rc == 0 and took < 1.0, f"SIGINT: exit code {rc} after {took:.2f} s")
        finally:
            stop(proc)


def test_pacing():
    """At most one frame per -delay period even where nothing waits for a vertical blank (Xvfb)."""
    with Xvfb() as xvfb:
        window = TestWindow(xvfb, 0, 0, 160, 120)
        try:
            def timed(*args):
                started = time.monotonic()
                proc = start(xvfb, "-window-id", window.id, *args)
                rc, _ = wait_exit(proc, 30)
                check(rc == 0, f"{args}: exit code {rc} ({proc.stderr.read()})")
                return time.monotonic() - started

            unpaced = timed("-delay", "0", "--frames", "60")
            paced = timed("--frames", "60")
            slow = timed("-delay", "50000", "--frames", "20")
            print(f"60 frames: {unpaced:.2f} s unpaced, {paced:.2f} s at the default delay; "
                  f"20 frames at 50 ms: {slow:.2f} s")
            check(paced - unpaced > 0.8, f"60 frames at the default delay took {paced:.2f} s ({unpaced:.2f} s unpaced)")
            check(paced < unpaced + 2.0, f"60 paced frames took {paced:.2f} s")
            check(slow > 0.95, f"20 frames at -delay 50000 took {slow:.2f} s")
        finally:
            window.close()


def test_bad_input():
    """Bad command lines and environments: exit code 2 with a message; a missing window: 1 with a message."""
    def run(args, env=None, expected_rc=2):
        result = subprocess.run([PROGRAM, *args], env=env, capture_output=True, text=True, timeout=20)
        check(result.returncode == expected_rc,
              f"{args}: exit code {result.returncode}, expected {expected_rc} (stderr: {result.stderr})")
        return result.stderr

    clean = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XSCREENSAVER_WINDOW")}
    check("-delay: 'abc'" in run(["-delay", "abc"], clean), "no message naming -delay")
    check("unknown option '--bogus'" in run(["--bogus"], clean), "no message naming the option")
    check("needs a value" in run(["-window-id"], clean), "no message for a missing value")
    check("XSCREENSAVER_WINDOW" in run([], dict(clean, XSCREENSAVER_WINDOW="junk")), "no message for the env")
    check("cannot open the X display" in run([], dict(clean, DISPLAY=":999"), 1), "no message for a missing display")
    with Xvfb() as xvfb:
        check("no window 0x7ffffff" in run(["-window-id", "0x7ffffff"], xvfb.env(), 1), "no message for the window")
        check("/nonexistent/x.png" in run(["--frames", "2", "--save", "/nonexistent/x.png"], xvfb.env(), 1),
              "no message for an unwritable picture")


if __name__ == "__main__":
    runner.main(globals())
