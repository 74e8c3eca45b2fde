"""Helpers of the tests of the Linux program: private X servers, screenshots, pixel counts, bounded waits."""
import os
import pathlib
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = pathlib.Path(os.environ.get("ORVALIS_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
OUTPUT_DIR = pathlib.Path(os.environ.get("ORVALIS_TEST_OUTPUT", SOURCE_DIR / "build" / "test-output"))
LIT_LEVEL = 40  # a pixel is lit when one of its channels reaches this level

sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))
from harness import TestFailure, ppm_pixels  # noqa: E402


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def script(name):
    """A helper of scripts/lib/."""
    return str(SOURCE_DIR / "scripts" / "lib" / name)


def wait_for(condition, timeout, interval=0.05):
    """Polls `condition` until it returns a true value or `timeout` seconds pass; returns its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


class Xvfb:
    """A private X server for one test (scripts' xvfb-start), stopped by its pid on leaving."""

    def __init__(self, size="1024x768"):
        self.size = size
        self.state = tempfile.mkdtemp(prefix="orvalis-xvfb-")
        self.display = None

    def __enter__(self):
        number = subprocess.run([script("xvfb-start"), self.state, self.size], check=True, capture_output=True,
                                text=True, timeout=30).stdout.strip()
        self.display = f":{number}"
        return self

    def __exit__(self, *exc):
        subprocess.run([script("xvfb-stop"), self.state], capture_output=True, timeout=30)
        return False

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display)
        env.pop("XSCREENSAVER_WINDOW", None)
        env.update(extra)
        return env


class Picture:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def lit_mask(self, x0=0, y0=0, x1=None, y1=None, level=LIT_LEVEL):
        """1 per lit pixel of the rectangle (right and bottom exclusive), row by row."""
        x1 = self.width if x1 is None else min(x1, self.width)
        y1 = self.height if y1 is None else min(y1, self.height)
        table = bytes(1 if b >= level else 0 for b in range(256))
        mask = bytearray()
        for y in range(max(y0, 0), y1):
            row = self.rgb[(y * self.width + x0) * 3:(y * self.width + x1) * 3].translate(table)
            mask += bytes(row[i] | row[i + 1] | row[i + 2] for i in range(0, len(row), 3))
        return mask

    def lit_share(self, *rect, level=LIT_LEVEL):
        mask = self.lit_mask(*rect, level=level)
        return sum(mask) / max(len(mask), 1)

    def lit_outside(self, x0, y0, x1, y1, level=LIT_LEVEL):
        """Lit pixels outside the rectangle."""
        return sum(self.lit_mask(level=level)) - sum(self.lit_mask(x0, y0, x1, y1, level=level))


def parse_ppm(data):
    return Picture(*ppm_pixels(data))


def read_picture(path):
    """Any picture ImageMagick reads, as 8-bit RGB."""
    data = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"], check=True, capture_output=True,
                          timeout=60).stdout
    return parse_ppm(data)


def screenshot(display, save_as=None):
    data = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", "ppm:-"], check=True,
                          capture_output=True, timeout=30).stdout
    if save_as:
        OUTPUT_DIR.mkdir(parents=True, exist_ok=True)
        subprocess.run(["convert", "ppm:-", str(OUTPUT_DIR / save_as)], input=data, check=True, timeout=30)
    return parse_ppm(data)


def end_process(proc, timeout=5):
    """Ends a process this test started, by its pid."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def run_named_test(namespace):
    """Runs the test function named on the command line: `script.py NAME` runs test_NAME."""
    if len(sys.argv) != 2 or f"test_{sys.argv[1]}" not in namespace:
        names = sorted(n[5:] for n in namespace if n.startswith("test_"))
        print(f"usage: {sys.argv[0]} {'|'.join(names)}", file=sys.stderr)
        return 2
    started = time.monotonic()
    try:
        result = namespace[f"test_{sys.argv[1]}"]()
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    print(f"{sys.argv[1]}: passed in {time.monotonic() - started:.1f} s")
    return result or 0
