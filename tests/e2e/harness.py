"""End-to-end test harness: runs the real Windows programs under Wine on a private Xvfb display.

A test is a function taking a `Session`; `main(globals())` runs the one named on the command line:

    def test_escape(s):
        s.install_texture()
        renderer = s.start(s.bin_path("Orvalis.dll"))
        window = s.find_window("Orvalis_VC")
        s.key(window, "Escape")
        s.check(renderer.wait(20) == 0, "exit code 0")

    if __name__ == "__main__":
        main(globals())

Environment (set by ctest through orvalis_e2e_test_properties): ORVALIS_WINE_DIR (holds env.base.sh of the
end-to-end prefix), ORVALIS_BIN_DIR (the deliverables), ORVALIS_E2E_TOOLS_DIR (wininfo.exe, postmsg.exe),
ORVALIS_SOURCE_DIR, ORVALIS_TEST_OUTPUT (screenshots and program output go to <it>/<test name>/).

Every wait polls with a deadline; nothing sleeps for a fixed time to decide a result. The session ends every
program it started by process id, stops its Xvfb and ends the prefix's wineserver, also when a test fails.
Python 3 standard library only.
"""

import os
import re
import shlex
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import processes  # noqa: E402
import runner  # noqa: E402
from pictures import read_picture  # noqa: E402
from processes import TestFailure  # noqa: E402


def _env_from_script(path):
    """Reads the `export NAME='value'` lines of a wine-session env script."""
    env = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line.startswith("export "):
                continue
            name, _, value = line[len("export "):].partition("=")
            parts = shlex.split(value)
            env[name] = parts[0] if parts else ""
    return env


def _unescape(text):
    """Undoes wininfo's escapes of backslashes, line breaks and the field separator."""
    return re.sub(r"\\(\\|n|r|x7c)", lambda m: {"\\": "\\", "n": "\n", "r": "\r", "x7c": "|"}[m.group(1)], text)


class Program:
    """A Windows program started through `timeout wine ...`, output in files."""

    def __init__(self, session, popen, name, stdout_path, stderr_path):
        self.session = session
        self.popen = popen
        self.pid = popen.pid
        self.name = name
        self.stdout_path = stdout_path
        self.stderr_path = stderr_path

    def poll(self):
        return self.popen.poll()

    def alive(self):
        return self.popen.poll() is None

    def wait(self, seconds):
        """The exit code, or None when the program is still running after `seconds`."""
        try:
            return self.popen.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def stdout(self):
        with open(self.stdout_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self):
        """Ends the program by its pid: TERM to `timeout`, which passes it on, then KILL."""
        processes.stop(self.popen)


# WINEDEBUG for a host whose pid must be known after it ended: the start of the renderer names its starter.
TRACE_STARTS = "+pid,+process"


def renderer_starter_pid(program):
    """The Windows pid of the process that started Orvalis.dll, from the +pid,+process trace in `program`'s
    stderr (the host may end before its window can be looked up); None unless exactly one start is traced."""
    with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
        starts = re.findall(r"^([0-9a-f]{4}):[0-9a-f]{4}:trace:process:CreateProcessInternalW .*Orvalis\.dll",
                            f.read(), re.M | re.I)
    return int(starts[0], 16) if len(starts) == 1 else None


class Session:
    """One end-to-end test: a private Xvfb, the end-to-end Wine prefix on it, the programs started."""

    def __init__(self, name, screen="1024x768"):
        self.name = name
        self.screen = screen
        self.wine_dir = os.environ["ORVALIS_WINE_DIR"]
        self.bin_dir = os.environ.get("ORVALIS_BIN_DIR", "")
        self.source_dir = os.environ.get("ORVALIS_SOURCE_DIR",
                                         os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
        self.tools_dir = os.environ.get("ORVALIS_E2E_TOOLS_DIR",
                                        os.path.join(os.path.dirname(self.bin_dir), "e2e-tools"))
        output_root = os.environ.get("ORVALIS_TEST_OUTPUT", os.path.join(self.wine_dir, "..", "..", "test-output"))
        self.output = os.path.abspath(os.path.join(output_root, name))
        shutil.rmtree(self.output, ignore_errors=True)
        os.makedirs(self.output)
        self.programs = []
        self.display = None
        self.xvfb_state = os.path.join(self.output, "xvfb")
        self.env = dict(os.environ)
        self.env.update(_env_from_script(os.path.join(self.wine_dir, "env.base.sh")))
        self.prefix = self.env["WINEPREFIX"]
        self._counter = 0

    # --- life cycle -------------------------------------------------------------------------------------

    def __enter__(self):
        self.log("session %s on a %s screen, prefix %s" % (self.name, self.screen, self.prefix))
        self.display = subprocess.run([os.path.join(self.source_dir, "scripts", "lib", "xvfb-start"), self.xvfb_state,
                                       self.screen], check=True, capture_output=True, text=True,
                                      timeout=30).stdout.strip()
        self.env["DISPLAY"] = ":" + self.display
        # A leftover server of this prefix may still hold another display: end it before ours starts.
        self._wineserver("-k")
        self._wineserver("-w", timeout=20)
        # A persistent server: program start drops from seconds to a fraction of one.
        subprocess.run(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        return self

    def __exit__(self, *exc):
        self.cleanup()
        return False

    def cleanup(self):
        for program in reversed(self.programs):
            program.stop()
        self._wineserver("-k")
        # The X server takes over a second to exit: it goes down while the wineserver finishes, not after it.
        stop_script = os.path.join(self.source_dir, "scripts", "lib", "xvfb-stop")
        xvfb_stop = subprocess.Popen([stop_script, self.xvfb_state], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._wineserver("-w", timeout=20)
        try:
            xvfb_stop.wait(timeout=30)
        except subprocess.TimeoutExpired:
            xvfb_stop.kill()
            xvfb_stop.wait()

    def _wineserver(self, flag, timeout=10):
        try:
            subprocess.run(["wineserver", flag], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=timeout)
        except subprocess.TimeoutExpired:
            pass

    def refuse_writes_as_for_a_user(self):
        """Restarts the prefix's wineserver without root's right to pass over file permissions. Windows
        programs open and create their files through the wineserver, so a read-only file or folder then refuses
        them as it refuses an ordinary user; root would write through it."""
        if os.geteuid() != 0:
            return
        self._wineserver("-k")
        self._wineserver("-w", timeout=20)
        subprocess.run(["setpriv", "--bounding-set=-dac_override,-dac_read_search,-fowner", "wineserver", "-p"],
                       env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True, timeout=30)
        self.log("wineserver restarted without root's file rights")

    def japanese_env(self):
        """Environment for a program that must run under the Japanese ANSI code page (932), which Wine takes
        from the program's locale. The locale is built into the test's output folder from glibc's sources, so
        the machine needs no generated ja_JP locale."""
        locales = self.output_path("locale")
        if not os.path.isdir(os.path.join(locales, "ja_JP.UTF-8")):
            os.makedirs(locales, exist_ok=True)
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(locales, "ja_JP.UTF-8")],
                           check=True, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        return {"LOCPATH": locales, "LC_ALL": "ja_JP.UTF-8"}

    # --- helpers --------------------------------------------------------------------------------------

    def log(self, text):
        processes.log(text)

    def check(self, condition, what):
        """Fails the test with `what` unless `condition` holds; a passed check is logged as "ok: <what>"."""
        processes.check(condition, what)
        self.log("ok: " + what)

    def record(self, name, seconds):
        """Keeps a measured time with the test's output and in the log."""
        processes.record(self.output, name, seconds)

    def output_path(self, name):
        return os.path.join(self.output, name)

    def bin_path(self, name):
        return os.path.join(self.bin_dir, name)

    def tool_path(self, name):
        return os.path.join(self.tools_dir, name)

    def prefix_path(self, windows_path):
        """The Unix path of a path on drive C: of the prefix ("C:\\Tessalume.bmp" -> .../drive_c/Tessalume.bmp)."""
        m = re.match(r"^[cC]:[\\/]?(.*)$", windows_path)
        if not m:
            raise ValueError("not a C: path: " + windows_path)
        rest = m.group(1).replace("\\", "/")
        return os.path.join(self.prefix, "drive_c", rest)

    def temp_dir(self):
        """The Unix path of the Windows user's %TEMP% folder in the prefix."""
        users = os.path.join(self.prefix, "drive_c", "users")
        user = os.environ.get("USER") or "root"
        candidates = [os.path.join(users, user, "AppData", "Local", "Temp"), os.path.join(users, user, "Temp")]
        for c in candidates:
            if os.path.isdir(c):
                return c
        return candidates[0]

    def unix_processes(self, needle):
        """Unix pids of processes in this session's prefix whose command line holds `needle`."""
        return processes.unix_processes(needle, "WINEPREFIX=" + self.prefix)

    def unix_pid_of(self, program):
        """The Wine process that runs this Windows program: the one whose first argument names it (not `timeout`
        or the `wine` launcher in front of it)."""
        pids = [p for p in self.unix_processes(program)
                if processes.first_argument(p).replace("\\", "/").lower().endswith("/" + program.lower())]
        return min(pids) if pids else None

    def set_log_pixels(self, dpi):
        """The system dpi of the prefix (LogPixels of the desktop and of the fonts), for programs started later."""
        for key in ("HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"):
            subprocess.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                           env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60, check=True)

    # --- programs -------------------------------------------------------------------------------------

    def start(self, program, *args, seconds=120, env=None, cwd=None, name=None):
        """Starts a Windows program (Unix or Windows path) with `timeout`; output goes to files."""
        self._counter += 1
        name = name or "%02d-%s" % (self._counter, os.path.basename(program))
        out = self.output_path(name + ".stdout")
        err = self.output_path(name + ".stderr")
        run_env = dict(self.env)
        if env:
            run_env.update(env)
        with open(out, "wb") as o, open(err, "wb") as e:
            popen = subprocess.Popen(["timeout", "-k", "5", str(seconds), "wine", program, *args], env=run_env,
                                     cwd=cwd or self.output, stdin=subprocess.DEVNULL, stdout=o, stderr=e)
        p = Program(self, popen, name, out, err)
        self.programs.append(p)
        self.log("started %s (pid %d)" % (name, p.pid))
        return p

    def run_tool(self, tool, *args, seconds=30, env=None):
        """Runs one helper from the tools folder to its end (with `env` added to the session's environment);
        returns (exit code, stdout)."""
        self._counter += 1
        run_env = dict(self.env, **(env or {}))
        out = self.output_path("%02d-%s.stdout" % (self._counter, tool))
        with open(out, "wb") as o:
            try:
                code = subprocess.run(["timeout", "-k", "5", str(seconds), "wine", self.tool_path(tool + ".exe"),
                                       *args], env=run_env, cwd=self.output, stdin=subprocess.DEVNULL, stdout=o,
                                      stderr=subprocess.DEVNULL, timeout=seconds + 10).returncode
            except subprocess.TimeoutExpired:
                code = 124
        with open(out, encoding="utf-8", errors="replace") as f:
            text = f.read()
        os.unlink(out)
        return code, text

    def win_info(self, title, children=False):
        """What wininfo.exe says about the top-level window with exactly this title, or None."""
        code, text = self.run_tool("wininfo", title, *(["--children"] if children else []))
        if code != 0:
            return None
        info = {"children": []}
        for line in text.splitlines():
            key, _, value = line.partition("=")
            if key == "child":
                hwnd, cls, text_, rect, visible = value.split("|")
                info["children"].append({"hwnd": hwnd, "class": cls, "text": _unescape(text_),
                                         "rect": tuple(int(v) for v in rect.split(",")),
                                         "visible": visible == "1"})
            elif key in ("window", "client", "client_origin"):
                info[key] = tuple(int(v) for v in value.split(","))
            elif key in ("style", "exstyle"):
                info[key] = int(value, 16)
            elif key in ("pid", "visible", "iconic"):
                info[key] = int(value)
            else:
                info[key] = _unescape(value.strip())
        return info

    def display_mode(self):
        code, text = self.run_tool("wininfo", "--display")
        return text.strip().partition("=")[2] if code == 0 else None

    def foreground(self):
        """(title, class, Windows pid) of the foreground window, or None."""
        code, text = self.run_tool("wininfo", "--foreground")
        if code != 0:
            return None
        title, cls, pid = text.strip().partition("=")[2].rsplit("|", 2)
        return _unescape(title), cls, int(pid)

    def monitors(self):
        """[(device, (left, top, right, bottom), primary, system dpi)] as the system reports them."""
        _, text = self.run_tool("wininfo", "--monitors")
        out = []
        for line in text.splitlines():
            device, rect, primary, dpi = line.strip().partition("=")[2].split("|")
            out.append((device, tuple(int(v) for v in rect.split(",")), primary == "1", int(dpi)))
        return out

    def top_windows(self, windows_pid):
        """Top-level windows of a Windows process: [{"class", "title", "rect", "visible", "exstyle"}]."""
        _, text = self.run_tool("wininfo", "--top", str(windows_pid))
        out = []
        for line in text.splitlines():
            _, cls, title, rect, visible, exstyle = line.strip().partition("=")[2].split("|")
            out.append({"class": cls, "title": _unescape(title), "rect": tuple(int(v) for v in rect.split(",")),
                        "visible": visible == "1", "exstyle": int(exstyle, 16)})
        return out

    def post(self, title, message, wparam=0, lparam=0, send=False):
        """Posts (or sends) a message to a window from another process; True when it was delivered."""
        args = [title, str(message), str(wparam), str(lparam)] + (["--send"] if send else [])
        code, _ = self.run_tool("postmsg", *args)
        return code == 0

    # --- windows on the X display ---------------------------------------------------------------------

    def _xdotool(self, *args, check=False):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=20)
        if check and r.returncode != 0:
            raise TestFailure("xdotool %s failed: %s" % (" ".join(args), r.stderr.strip()))
        return r

    def x_windows(self, title):
        """X window ids of mapped windows with exactly this title."""
        r = self._xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title))
        return [int(w) for w in r.stdout.split()]

    def find_window(self, title, seconds=30, program=None):
        """Waits for a visible window with exactly this title; returns its X id. Fails early when `program`
        ends first."""
        deadline = time.monotonic() + seconds
        while True:
            ids = self.x_windows(title)
            if ids:
                self.log("window %r is X id %d" % (title, ids[0]))
                return ids[0]
            if program is not None and not program.alive():
                raise TestFailure("%s ended (exit %s) before window %r appeared" % (program.name, program.poll(),
                                                                                   title))
            if time.monotonic() > deadline:
                self.screenshot("no-window-%s" % re.sub(r"\W", "_", title))
                raise TestFailure("no window %r within %d s" % (title, seconds))
            time.sleep(0.2)

    def wait_window_gone(self, title, seconds=30):
        """Waits until no top-level window (X or Win32, shown or not) has this title; False when one stays."""
        return bool(processes.poll(lambda: not self.x_windows(title) and self.win_info(title) is None, seconds))

    def wait_for(self, condition, seconds, what, interval=0.2):
        """Polls `condition()` until it is true (returns its value) or fails after `seconds`."""
        return processes.wait_for(condition, seconds, what, interval)

    def window_geometry(self, x_id):
        r = self._xdotool("getwindowgeometry", "--shell", str(x_id), check=True)
        g = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    # --- input ----------------------------------------------------------------------------------------

    def point_at(self, x_id, dx=None, dy=None):
        """Moves the pointer onto a window (its centre by default): keyboard focus follows the pointer."""
        x, y, w, h = self.window_geometry(x_id)
        self._xdotool("mousemove", str(x + (w // 2 if dx is None else dx)), str(y + (h // 2 if dy is None else dy)),
                      check=True)

    def key(self, x_id, *keys):
        """Real key presses into a window: pointer onto it first (xdotool --window events are ignored)."""
        self.point_at(x_id)
        self._xdotool("key", "--delay", "60", *keys, check=True)

    def hold_key(self, x_id, key, seconds=0.4):
        """Presses a key (or a chord such as "alt+F4") for as long as a person would: a program that reads
        the key state between frames misses a press and release that both fall within one frame."""
        self.point_at(x_id)
        self._xdotool("keydown", key, check=True)
        time.sleep(seconds)
        self._xdotool("keyup", key, check=True)

    def tap_key(self, x_id, key, gap=0.01):
        """A quick tap, the way a person taps a key: press and release `gap` seconds apart, both usually
        within one frame of the renderer."""
        self.point_at(x_id)
        self._xdotool("keydown", key, *(["sleep", "%.3f" % gap] if gap else []), "keyup", key, check=True)

    def move_mouse(self, x, y):
        self._xdotool("mousemove", str(x), str(y), check=True)

    def click(self, x, y, button=1):
        """A real click at screen coordinates."""
        self._xdotool("mousemove", str(x), str(y), check=True)
        self._xdotool("click", str(button), check=True)

    def mouse_down(self, button=1):
        """Presses and holds a mouse button where the pointer is."""
        self._xdotool("mousedown", str(button), check=True)

    def mouse_up(self, button=1):
        self._xdotool("mouseup", str(button), check=True)

    def click_child(self, title, text, seconds=15):
        """Clicks the centre of the child control with this text (for example "&Yes") of a top-level window."""
        def child():
            info = self.win_info(title, children=True)
            if not info:
                return None
            for c in info["children"]:
                if c["text"] == text and c["visible"]:
                    return c
            return None
        c = self.wait_for(child, seconds, "control %r in %r" % (text, title))
        left, top, right, bottom = c["rect"]
        self.click((left + right) // 2, (top + bottom) // 2)

    # --- screen ---------------------------------------------------------------------------------------

    def screenshot(self, name, sample=100):
        """Saves the whole screen as <output>/<name>.png and returns it as a Picture (`sample` as for read_picture)."""
        path = self.output_path(name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=60)
        self.log("screenshot " + path)
        return read_picture(path, sample)

    # --- files in the prefix --------------------------------------------------------------------------

    def install_texture(self, source=None, windows_path="C:\\Tessalume.bmp"):
        """Puts the ring texture (or any file) where the renderer reads it."""
        source = source or os.path.join(self.source_dir, "assets", "tessalume.bmp")
        target = self.prefix_path(windows_path)
        shutil.copyfile(source, target)
        return target

    def remove_textures(self):
        """Removes the texture from C:\\ and from %TEMP% (where a reader may fall back to)."""
        for path in (self.prefix_path("C:\\Tessalume.bmp"), os.path.join(self.temp_dir(), "Tessalume.bmp")):
            if os.path.exists(path):
                os.unlink(path)


def main(tests, argv=None):
    """Runs the test function `test_<name>` named by argv[1] (or every test_ function) in its own Session, then
    exits: status 1 when any of them failed."""
    def run(fn, test_name):
        with Session(test_name, screen=getattr(fn, "screen", "1024x768")) as s:
            fn(s)
    runner.main(tests, run, argv)


def screen(size):
    """Decorator: the screen a test needs (default 1024x768). Sizes joined by "+" ("1024x768+800x600") give
    that many monitors side by side, the first one primary (see scripts/lib/xvfb-start)."""
    def mark(fn):
        fn.screen = size
        return fn
    return mark
