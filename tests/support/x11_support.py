"""The Xvfb session of the Linux program's tests: a private X server started by scripts/lib/xvfb-start, the
environment that points programs at it, and screenshots of it. Pictures, checks, waits and the runner come from
tests/support/."""
import os
import pathlib
import subprocess
import sys
import tempfile

SOURCE_DIR = pathlib.Path(os.environ.get("ORVALIS_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
OUTPUT_DIR = pathlib.Path(os.environ.get("ORVALIS_TEST_OUTPUT", SOURCE_DIR / "build" / "test-output"))

sys.path.insert(0, str(SOURCE_DIR / "tests" / "support"))
from pictures import CONVERT, parse_ppm  # noqa: E402


def script(name):
    """A helper of scripts/lib/."""
    return str(SOURCE_DIR / "scripts" / "lib" / name)


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

    def screenshot(self, save_as=None):
        """The whole screen as a Picture; also kept as OUTPUT_DIR/<save_as> when named."""
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                              check=True, capture_output=True, timeout=30).stdout
        if save_as:
            OUTPUT_DIR.mkdir(parents=True, exist_ok=True)
            subprocess.run([CONVERT, "ppm:-", str(OUTPUT_DIR / save_as)], input=data, check=True, timeout=30)
        return parse_ppm(data)
