"""The saver on the desktops people have: a quick tap of Escape, another program taking the foreground, and a
second monitor that must not show the desktop while the saver runs."""

import os
import re
import subprocess
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from harness import main, screen  # noqa: E402
from pictures import changed_share, cloud_on_screen, lit_share  # noqa: E402

TITLE = "Orvalis_VC"
SAVER_TITLE = "Veyra_Main"
HELPER = "Orvalis test neighbour"
TWO_MONITORS = "1024x768+800x600"
SECOND = (1024, 0, 1824, 600)  # where Wine puts the second Xephyr screen
SLOW_GL = {"GALLIUM_DRIVER": "softpipe"}


def start_saver(s, env=None):
    s.remove_textures()
    host = s.start(s.bin_path("Orvalis.scr"), "/s", name="host", env=env)
    window = s.find_window(TITLE, seconds=60, program=host)
    return host, window


def wait_drawing(s, seconds=30):
    """Waits until the primary monitor shows a moving cloud (two screenshots apart differ)."""
    def moving():
        a = s.screenshot("drawing-a", sample=25)
        time.sleep(0.3)
        b = s.screenshot("drawing-b", sample=25)
        w, h = 1024 // 4, 768 // 4
        return cloud_on_screen(b.region(0, 0, w, h)) and changed_share(a.region(0, 0, w, h),
                                                                      b.region(0, 0, w, h)) > 0.02
    s.wait_for(moving, seconds, "the cloud on the primary monitor", interval=0.1)


def tap_escape_ends(s, window, renderer):
    # Wait until frames are being drawn: a tap during start-up would prove nothing about the frame loop.
    wait_drawing(s)
    taps = 0
    t0 = time.monotonic()
    code = None
    while code is None and taps < 5:
        t0 = time.monotonic()
        s.tap_key(window, "Escape")
        taps += 1
        code = renderer.wait(2.0)
    took = time.monotonic() - t0
    s.record("taps of Escape needed %d, last tap to renderer exit" % taps, took)
    s.check(taps == 1 and code == 0, "one quick tap of Escape ends the renderer with exit code 0 within 2 s "
            "(%d taps, exit code %s, %.2f s)" % (taps, code, took))


def test_escape_tap_ends_the_renderer(s):
    s.remove_textures()
    s.install_texture()
    # Mesa's slowest software rasteriser: frames of a tenth of a second and more, as on a machine without a
    # graphics driver, where a tap falls within one frame almost every time.
    renderer = s.start(s.bin_path("Orvalis.dll"), name="renderer", env=SLOW_GL)
    window = s.find_window(TITLE, program=renderer)
    tap_escape_ends(s, window, renderer)
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")


def test_escape_tap_ends_the_saver(s):
    host, window = start_saver(s, env=SLOW_GL)
    info = s.win_info(TITLE)
    wait_drawing(s)
    s.tap_key(window, "Escape")
    t0 = time.monotonic()
    s.check(s.wait_window_gone(TITLE, 2), "one tap of Escape ends the renderer within 2 s")
    code = host.wait(2.0)
    s.record("one tap of Escape to host exit", time.monotonic() - t0)
    s.check(code == 0, "the host ends with it (exit code %s)" % code)
    s.check(not s.top_windows(info["pid"]), "no window of the renderer remains")


def test_another_program_taking_the_foreground_ends_the_saver(s):
    host, window = start_saver(s)
    wait_drawing(s)
    s.check(s.foreground()[0] == TITLE, "Orvalis_VC is the foreground window while the saver runs")
    before = s.display_mode()
    helper = s.start(s.tool_path("brightwin.exe"), HELPER, "100", "100", "300", "200", "--take-foreground-after",
                     "200", name="helper")
    s.wait_for(lambda: "took the foreground" in open(helper.stdout_path, encoding="utf-8").read(), 20,
               "the helper to take the foreground")
    t0 = time.monotonic()
    code = host.wait(5)
    took = time.monotonic() - t0
    s.record("foreground taken to host exit", took)
    s.check(code == 0, "the host has ended, exit code 0 (%s)" % code)
    s.check(took < 2.0, "within 2 s (%.2f s)" % took)
    s.check(s.wait_window_gone(TITLE, 2), "the renderer has ended")
    s.log("display mode before %s, after %s" % (before, s.display_mode()))


def helper_on_second_monitor(s):
    left, top, right, bottom = SECOND
    helper = s.start(s.tool_path("brightwin.exe"), HELPER, str(left + 100), str(top + 100), "500", "300",
                     name="helper")
    s.find_window(HELPER, program=helper)
    shot = s.screenshot("before-second")
    s.check(lit_share(shot.region(left + 100, top + 100, 500, 300), 200) > 0.99,
            "the helper window shows bright on the second monitor")
    return helper


def second_monitor_dark_share(shot):
    left, top, right, bottom = SECOND
    pixels = shot.region(left, top, right - left, bottom - top)
    return sum(1 for p in pixels if max(p) <= 8) / len(pixels)


@screen(TWO_MONITORS)
def test_second_monitor_is_covered_and_clicks_there_change_nothing(s):
    monitors = s.monitors()
    s.log("monitors %s" % monitors)
    s.check(len(monitors) == 2 and monitors[1][1] == SECOND, "Wine sees two monitors, the second at %s"
            % (SECOND,))
    helper = helper_on_second_monitor(s)

    host, window = start_saver(s)
    t0 = time.monotonic()
    shot = s.wait_for(lambda: (lambda i: i if second_monitor_dark_share(i) >= 0.99 else None)(
        s.screenshot("second-monitor-covered")), 10, "the second monitor to go black", interval=0.1)
    covered = time.monotonic() - t0
    s.record("Orvalis_VC shown to second monitor black", covered)
    s.check(covered < 2.0, "the second monitor is black within 2 s of Orvalis_VC (%.2f s, %.4f dark)"
            % (covered, second_monitor_dark_share(shot)))
    wait_drawing(s)
    both = s.screenshot("saver-two-monitors")
    s.check(second_monitor_dark_share(both) >= 0.99 and cloud_on_screen(both.region(0, 0, 1024, 768)),
            "the cloud on the primary monitor, black on the second")
    s.check(s.foreground()[0] == TITLE, "Orvalis_VC, not the helper, is the foreground window")

    info = s.win_info(TITLE)
    covers = [w for w in s.top_windows(info["pid"]) if w["title"] != TITLE and w["visible"]]
    s.log("renderer's other windows %s" % covers)
    s.check([w["rect"] for w in covers] == [SECOND], "one cover, exactly over the second monitor")
    s.check(info["window"] == (0, 0, 1024, 768), "the render window fills the primary monitor (%s)"
            % (info["window"],))

    # A click on the second monitor: nothing under the cover is reached, nothing is activated.
    s.click(SECOND[0] + 300, SECOND[1] + 250)
    s.move_mouse(SECOND[0] + 350, SECOND[1] + 200)
    time.sleep(0.5)
    s.check(host.alive() and s.win_info(TITLE) is not None, "the click leaves the saver running")
    s.check(s.foreground()[0] == TITLE, "Orvalis_VC is still the foreground window after the click")
    s.check("activated" not in open(helper.stdout_path, encoding="utf-8").read(),
            "the helper window was never activated")

    # Escape with the pointer over the second monitor still ends the saver.
    s._xdotool("keydown", "Escape", "sleep", "0.01", "keyup", "Escape", check=True)
    s.check(s.wait_window_gone(TITLE, 5), "Escape over the second monitor ends the renderer")
    s.check(host.wait(5) == 0, "and the host")
    s.check(not s.top_windows(info["pid"]), "no window of ours remains")
    after = s.wait_for(lambda: (lambda i: i if lit_share(i.region(SECOND[0] + 100, 100, 500, 300), 200) > 0.99
                                else None)(s.screenshot("after-saver")), 10, "the helper window to show again")
    s.check(after is not None, "the helper window shows again")


@screen(TWO_MONITORS)
def test_covers_go_with_a_killed_renderer(s):
    helper_on_second_monitor(s)
    s.remove_textures()
    s.install_texture()
    renderer = s.start(s.bin_path("Orvalis.dll"), name="renderer")
    s.find_window(TITLE, program=renderer)
    pid = s.win_info(TITLE)["pid"]
    s.wait_for(lambda: second_monitor_dark_share(s.screenshot("covered")) >= 0.99, 10, "the cover")
    # TerminateProcess, as a crash or the task manager ends it: nothing of the renderer runs after it.
    subprocess.run(["wine", "taskkill", "/F", "/PID", str(pid)], env=s.env, stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=30)
    s.check(renderer.wait(10) is not None, "the renderer was killed")
    s.check(s.wait_window_gone(TITLE, 10), "the killed renderer's window is gone")
    s.check(not s.top_windows(pid), "its cover went with it")
    s.wait_for(lambda: lit_share(s.screenshot("after-kill").region(SECOND[0] + 100, 100, 500, 300), 200) > 0.99,
               10, "the helper window to show again")


# Wine's relay trace, narrowed to the calls that order the start and the end of a run.
RELAY_KEY = "HKCU\\Software\\Wine\\Debug"
RELAY_CALLS = ("CreateProcessA;AllowSetForegroundWindow;ResumeThread;ChangeDisplaySettingsA;CreateWindowExA;"
               "DestroyWindow")
RELAY_LINE = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:(Call|Ret)\s+\w+\.(\w+)\((.*?)\)", re.M)
WS_EX_TOPMOST = 0x8


def wine_reg(s, *args):
    subprocess.run(["wine", "reg", *args, "/f"], env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60, check=True)


def relay_calls(program):
    """[(Windows pid, "Call" or "Ret", function, arguments)] in the order the trace gives them."""
    with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
        return [(int(m.group(1), 16), m.group(2), m.group(3), m.group(4)) for m in RELAY_LINE.finditer(f.read())]


@screen(TWO_MONITORS)
def test_start_and_end_keep_the_desktop_hidden(s):
    helper_on_second_monitor(s)
    wine_reg(s, "add", RELAY_KEY, "/v", "RelayInclude", "/d", RELAY_CALLS)
    try:
        host, window = start_saver(s, env={"WINEDEBUG": "+pid,+relay"})
        wait_drawing(s)
        info = s.win_info(TITLE)
        s.check(info["exstyle"] & WS_EX_TOPMOST, "the full-screen window is topmost (exstyle %#x)" % info["exstyle"])
        s.check(s.foreground()[0] == TITLE, "Orvalis_VC is the foreground window")
        s.key(window, "Escape")
        s.check(host.wait(15) == 0, "Escape ends the saver")
    finally:
        wine_reg(s, "delete", RELAY_KEY, "/v", "RelayInclude")
    calls = relay_calls(host)
    renderer = [c for c in calls if c[0] == info["pid"]]
    starter = [c for c in calls if c[0] != info["pid"]]
    with open(s.output_path("relay-calls.txt"), "w") as f:
        f.writelines("%04x %s %s(%s)\n" % c for c in calls)

    # The host: the renderer is created suspended, given the foreground right, and only then runs.
    order = [(kind, name) for _, kind, name, _ in starter if name != "CreateWindowExA" and name != "DestroyWindow"]
    created = [args for _, kind, name, args in starter if kind == "Call" and name == "CreateProcessA"]
    s.log("host calls %s" % order)
    # NOTE: the trace prints the whole 64-bit register of a 32-bit argument; only its low half counts.
    s.check(len(created) == 1 and int(created[0].split(",")[5], 16) & 0xFFFFFFFF & 0x4,
            "the host creates the renderer with CREATE_SUSPENDED (%s)" % created)
    starts = [name for kind, name in order if kind == "Call" and name != "ChangeDisplaySettingsA"]
    s.check(starts[:3] == ["CreateProcessA", "AllowSetForegroundWindow", "ResumeThread"],
            "then allows it the foreground, then resumes it (%s)" % starts)

    # The renderer: the mode comes back while every window still stands, then black covers every monitor.
    restore = [i for i, c in enumerate(renderer) if c[1] == "Call" and c[2] == "ChangeDisplaySettingsA"
               and c[3].split(",")[0].strip("0") == ""]
    destroyed = [i for i, c in enumerate(renderer) if c[1] == "Call" and c[2] == "DestroyWindow"]
    s.log("renderer calls %s" % [c[1:] for c in renderer])
    s.check(len(restore) == 1, "the renderer restores the display mode once (%d)" % len(restore))
    returned = next(i for i in range(restore[0], len(renderer))
                    if renderer[i][1:3] == ("Ret", "ChangeDisplaySettingsA"))
    s.check(destroyed and returned < destroyed[0], "the restore returns before any window is destroyed "
            "(restore at %d, first DestroyWindow at %d)" % (returned, destroyed[0] if destroyed else -1))
    covers = [c for c in renderer[returned:destroyed[0]] if c[1] == "Call" and c[2] == "CreateWindowExA"
              and "OrvalisCover" in c[3]]
    s.check(len(covers) == 2, "and then covers both monitors (%d covers)" % len(covers))
    s.check(len(destroyed) >= 4, "the render window and all four covers go after that (%d)" % len(destroyed))


@screen(TWO_MONITORS)
def test_scaled_desk_keeps_true_pixels(s):
    # 150 % scaling: the full-screen window and the cover must still take their monitors' real pixels.
    s.set_log_pixels(144)
    try:
        monitors = s.monitors()
        s.check([m[1:] for m in monitors] == [((0, 0, 1024, 768), True, 144), (SECOND, False, 144)],
                "the system runs at 144 dpi and reports both monitors in pixels (%s)" % monitors)
        host, window = start_saver(s)
        info = s.wait_for(lambda: s.win_info(TITLE), 20, "the render window's details")
        s.check(info["window"] == (0, 0, 1024, 768), "the render window is its monitor's rectangle (%s)"
                % (info["window"],))
        s.check(info["client"] == (1024, 768), "its client area is all of it (%s)" % (info["client"],))
        covers = [w["rect"] for w in s.top_windows(info["pid"]) if w["title"] != TITLE and w["visible"]]
        s.check(covers == [SECOND], "the cover is the second monitor whole (%s)" % covers)
        s.wait_for(lambda: second_monitor_dark_share(s.screenshot("scaled-desk")) >= 0.99, 10,
                   "the second monitor black")
        s.tap_key(window, "Escape")
        s.check(host.wait(10) == 0, "Escape ends the saver")
    finally:
        s.set_log_pixels(96)


if __name__ == "__main__":
    sys.exit(main(globals()))
