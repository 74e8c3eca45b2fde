"""The real Orvalis.scr under Wine, with the real Orvalis.dll beside it: the saver run from /s to its end, the
single-instance guard, a missing renderer, a renderer that fails or is killed, and the preview in a window."""

import os
import re
import shutil
import sys
import threading
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from harness import TRACE_STARTS, TestFailure, main, renderer_starter_pid, screen  # noqa: E402
from host_support import (HOST_FOLLOWS_SECONDS, TRACE_ENV, EndClock, cursor_calls,  # noqa: E402
                          renderer_unix_pid)
from pictures import hue_buckets, lit_share  # noqa: E402
from processes import read_bytes  # noqa: E402

RENDERER_TITLE = "Orvalis_VC"
SAVER_TITLE = "Veyra_Main"
BOX_CAPTION = "Orvalis (ScreenSaver)"
BOX_TEXT = "Orvalis.dll が同じﾌｫﾙﾀﾞに見つかりません！"
PREVIEW_TITLE = "Preview Window"
AREA_TITLE = "PreviewArea"
WM_CLOSE = 0x0010
# Also the display-mode calls: the mode a killed renderer leaves behind is visible only to itself under Wine.
TRACE_DISPLAY_ENV = {"WINEDEBUG": "+pid,+cursor,+system"}
CHANGE_DISPLAY = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:trace:system:NtUserChangeDisplaySettings (.*)$")


def scr(s):
    return s.bin_path("Orvalis.scr")


def ring_bytes(s):
    with open(os.path.join(s.source_dir, "assets", "tessalume.bmp"), "rb") as f:
        return f.read()


def display_mode_calls(program, windows_pid):
    """The arguments of every ChangeDisplaySettings the process with this Windows pid made, as Wine traces them
    ("(null) (nil) (nil) 0 (nil)" for a return to the registry mode)."""
    with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    return [m.group(2) for m in map(CHANGE_DISPLAY.match, lines)
            if m and int(m.group(1), 16) == windows_pid and not m.group(2).startswith("flags=")]


def process_start_time(pid):
    """Wall-clock start of a Unix process, to about 10 ms (boot time from the uptime, not the whole-second btime)."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    start_ticks = int(fields[19])
    with open("/proc/uptime") as f:
        boot = time.time() - float(f.read().split()[0])
    return boot + start_ticks / os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def host_cpu_share(s, seconds=3.0):
    """Share of one core the host's process uses while it only watches for the renderer."""
    pids = [p for p in s.unix_processes("Orvalis.scr")
            if not read_bytes("/proc/%d/cmdline" % p).startswith(b"timeout")]
    if not pids:
        raise TestFailure("no process of Orvalis.scr found")
    s.log("host processes %s" % pids)
    before = sum(cpu_seconds(p) for p in pids)
    time.sleep(seconds)  # a measuring window, not a wait for a condition
    return (sum(cpu_seconds(p) for p in pids) - before) / seconds


def check_cloud(s, name):
    """The screen shows coloured shapes on black; polled, since the cloud may still be gathering."""
    def cloud():
        shot = s.screenshot(name)
        pixels = shot.region(0, 0, shot.width, shot.height)
        lit, hues = lit_share(pixels), hue_buckets(pixels)
        s.log("lit share %.3f, hues %s" % (lit, sorted(hues)))
        return 0.05 < lit < 0.98 and len(hues) >= 4
    s.wait_for(cloud, 15, "the cloud of coloured shapes on the screen", interval=1.0)
    s.check(True, "the screen shows the cloud of coloured shapes on black")


def escape_and_time_the_end(s, host, window):
    """Ends the run with Escape; returns (seconds from Escape to the host's end, seconds from the renderer's
    window going off the screen to the host's end, the host's exit code)."""
    clock = EndClock(host)
    t0 = time.monotonic()
    presser = threading.Thread(target=s.hold_key, args=(window, "Escape"), daemon=True)
    presser.start()
    # Polled while the key is held: the renderer ends on the key going down.
    deadline = t0 + 20
    while s.x_windows(RENDERER_TITLE):
        if time.monotonic() > deadline:
            raise TestFailure("the renderer's window stayed for 20 s after Escape")
        time.sleep(0.02)
    window_gone = time.monotonic()
    presser.join(10)
    code = clock.wait(10)
    if code is None:
        raise TestFailure("the host still runs 10 s after the renderer's window went")
    return clock.at - t0, clock.at - window_gone, code


def start_saver(s, *args, env=TRACE_ENV):
    """Starts the host and waits for the renderer's window; returns (host, renderer window, start-up seconds)."""
    t0 = time.monotonic()
    host = s.start(scr(s), *args, env=env, name="host")
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host)
    return host, window, time.monotonic() - t0


def test_saver_run_from_s_to_escape(s):
    s.remove_textures()
    # A stale picture from an earlier run must be replaced before the renderer reads it.
    with open(s.prefix_path("C:\\Tessalume.bmp"), "wb") as f:
        f.write(b"BM stale picture of an earlier version")
    host, window, startup = start_saver(s, "/s")
    s.record("start-up (/s to the first Orvalis_VC window)", startup)

    texture = s.prefix_path("C:\\Tessalume.bmp")
    s.check(read_bytes(texture) == ring_bytes(s), "C:\\Tessalume.bmp holds the 49206-byte ring picture")
    written = os.stat(texture).st_mtime
    started = process_start_time(renderer_unix_pid(s))
    s.log("texture written at %.3f, renderer started at %.3f" % (written, started))
    s.check(written <= started + 0.03, "the texture file was written before the renderer started")

    saver = s.win_info(SAVER_TITLE)
    s.check(saver is not None and saver["visible"] == 0, "the hidden Veyra_Main window exists")
    s.check(s.win_info(RENDERER_TITLE) is not None, "the Orvalis_VC window exists")
    check_cloud(s, "cloud")
    s.check(cursor_calls(host, saver["pid"]) == [(0, -1)], "the S switch hid the host's cursor (count -1)")
    idle = host_cpu_share(s)
    s.log("measured host CPU while watching = %.4f of one core" % idle)
    with open(s.output_path("measurements.txt"), "a") as f:
        f.write("host CPU while watching %.4f\n" % idle)
    s.check(idle < 0.05, "the host is idle while it watches (%.4f of one core)" % idle)

    after_escape, after_window, code = escape_and_time_the_end(s, host, window)
    s.check(code == 0, "the host ends with exit code 0 (%s)" % code)
    s.record("end (Escape to host exit)", after_escape)
    s.record("end (renderer window gone to host exit)", after_window)
    s.check(after_window < HOST_FOLLOWS_SECONDS, "the host ends within %.1f s of the renderer's window (%.3f s)"
            % (HOST_FOLLOWS_SECONDS, after_window))
    s.check(cursor_calls(host, saver["pid"]) == [(0, -1), (1, 0)], "the end showed the cursor again (count 0)")
    s.check(s.win_info(SAVER_TITLE) is None and s.win_info(RENDERER_TITLE) is None, "no window of the saver is left")
    s.check(read_bytes(texture) == ring_bytes(s), "C:\\Tessalume.bmp stays for the next run")


QUESTION = "Kova GL"
WS_CAPTION = 0x00C00000


@screen("800x600")
def test_a_slow_answer_to_the_question_keeps_the_run(s):
    s.remove_textures()
    blocked = s.prefix_path("C:\\Tessalume.bmp")
    os.makedirs(blocked)  # the picture goes to the temporary folder, whose copy the end of the run removes
    try:
        host = s.start(scr(s), "/s", name="host")
        s.find_window(QUESTION, seconds=60, program=host)
        asked = time.monotonic()
        # Longer than the time a renderer gets to show its window: the question counts as one.
        while time.monotonic() - asked < 35:
            if not host.alive():
                raise TestFailure("the host ended %.1f s into the question" % (time.monotonic() - asked))
            time.sleep(1.0)
        s.check(host.alive() and s.win_info(QUESTION) is not None, "after 35 s the host still runs and still asks")
        copy = os.path.join(s.temp_dir(), "Tessalume.bmp")
        s.check(os.path.isfile(copy), "the picture in the temporary folder is still there")
        s.click_child(QUESTION, "&Yes")
        window = s.find_window(RENDERER_TITLE, program=host)
        info = s.wait_for(lambda: s.win_info(RENDERER_TITLE), 20, "the render window's details")
        s.check((info["style"] & WS_CAPTION) == WS_CAPTION, "Yes gives the cloud in a window with a title bar")
        check_cloud(s, "windowed-cloud")
        s.key(window, "Escape")
        s.check(s.wait_window_gone(RENDERER_TITLE, 10), "Escape ends the renderer")
        s.check(host.wait(10) == 0, "and the host, with exit code 0")
        s.check(not s.top_windows(info["pid"]), "no window of the renderer remains")
        s.check(not os.path.exists(copy), "the end of the run removed the picture in the temporary folder")
    finally:
        shutil.rmtree(blocked, ignore_errors=True)


def test_empty_command_line_leaves_the_cursor_alone(s):
    s.remove_textures()
    host, window, _ = start_saver(s)
    saver = s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
    check_cloud(s, "cloud")
    s.hold_key(window, "Escape")
    s.check(host.wait(20) == 0, "the host ends after the renderer")
    s.check(cursor_calls(host, saver["pid"]) == [], "the host never touched the cursor")


def test_second_instance_ends_at_once(s):
    s.remove_textures()
    # The preview area comes first: a window that appears while the saver runs takes the activation from
    # it, and that ends the saver.
    area = s.start(s.tool_path("host_preview_parent.exe"), "152", "112", "0", "0", name="area")
    hwnd = s.wait_for(lambda: area.stdout().strip(), 30, "the preview area's handle")
    first, window, _ = start_saver(s, "/s")
    s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
    for args in (("/s",), ("/p", hwnd), ("/c",)):
        second = s.start(scr(s), *args, name="second" + args[0].replace("/", "-"))
        s.check(second.wait(15) == 0, "a second Orvalis.scr %s ends at once" % " ".join(args))
    s.check(len(s.x_windows(RENDERER_TITLE)) == 1, "still only the first renderer runs")
    info = s.win_info(AREA_TITLE, children=True)
    s.check(not any(c["text"] == PREVIEW_TITLE for c in info["children"]), "no preview was embedded")
    s.check(first.alive(), "the first saver runs on")
    s.post(AREA_TITLE, WM_CLOSE)
    s.check(area.wait(15) == 0, "the preview area is closed")
    s.hold_key(window, "Escape")
    s.check(first.wait(20) == 0, "the first saver ends after its renderer")


def host_alone(s):
    """Orvalis.scr in a folder of its own, without the renderer beside it."""
    folder = s.prefix_path("C:\\HostAlone")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copyfile(scr(s), os.path.join(folder, "Orvalis.scr"))
    return os.path.join(folder, "Orvalis.scr")


def test_missing_renderer_shows_the_box(s):
    program = host_alone(s)
    for switch in ("/s", "/c"):
        host = s.start(program, switch, name="host" + switch.replace("/", "-"))
        s.find_window(BOX_CAPTION, program=host)
        info = s.wait_for(lambda: s.win_info(BOX_CAPTION, children=True), 10, "the message box")
        texts = [c["text"] for c in info["children"]]
        s.check(BOX_TEXT in texts, "the box says Orvalis.dll is missing (%s)" % texts)
        buttons = [c for c in info["children"] if c["class"].lower() == "button" and c["visible"]]
        s.check(len(buttons) == 1, "the box has one button")
        s.screenshot("box" + switch.replace("/", "-"))
        s.check(host.wait(1.0) is None, "%s waits for the box" % switch)
        s.click_child(BOX_CAPTION, buttons[0]["text"])
        s.check(host.wait(15) == 0, "%s ends when the box is dismissed" % switch)
        s.check(s.win_info(SAVER_TITLE) is None and not s.x_windows(RENDERER_TITLE), "nothing else ran")

    area = s.start(s.tool_path("host_preview_parent.exe"), "152", "112", "0", "0", name="area")
    hwnd = s.wait_for(lambda: area.stdout().strip(), 30, "the preview area's handle")
    host = s.start(program, "/p", hwnd, name="host-p")
    s.wait_for(lambda: preview_child(s), 20, "the preview inside the area")
    s.check(s.win_info(BOX_CAPTION) is None, "the preview shows no box")
    s.post(AREA_TITLE, WM_CLOSE)
    s.check(host.wait(15) == 0, "the preview ends with its area")


def test_texture_goes_to_the_temporary_folder_when_the_root_refuses_it(s):
    s.remove_textures()
    blocked = s.prefix_path("C:\\Tessalume.bmp")
    os.makedirs(blocked)  # a folder of that name: no program can create the file there
    try:
        host, window, _ = start_saver(s, "/s")
        fallback = os.path.join(s.temp_dir(), "Tessalume.bmp")
        s.check(os.path.isfile(fallback) and read_bytes(fallback) == ring_bytes(s),
                "the ring picture went to %TEMP%\\Tessalume.bmp")
        check_cloud(s, "cloud-from-temp")
        s.hold_key(window, "Escape")
        s.check(host.wait(20) == 0, "the run ends as usual")
        # A later run that cannot write either place must not find this picture there.
        s.check(not os.path.exists(fallback), "the end of the run removed %TEMP%\\Tessalume.bmp")
        s.check(os.path.isdir(blocked) and not os.listdir(blocked), "C:\\Tessalume.bmp was left as it was")
    finally:
        os.rmdir(blocked)
        s.remove_textures()


def test_failing_renderer_ends_the_host_at_the_next_tick(s):
    s.remove_textures()
    # Neither place can take the texture, so the renderer finds none and ends without a window.
    blocked = [s.prefix_path("C:\\Tessalume.bmp"), os.path.join(s.temp_dir(), "Tessalume.bmp")]
    for path in blocked:
        os.makedirs(path)
    try:
        t0 = time.monotonic()
        # The host may be gone before its window could be looked up: its pid comes from the trace of the
        # renderer's start, which only the host makes.
        host = s.start(scr(s), "/s", env={"WINEDEBUG": TRACE_STARTS + ",+cursor"}, name="host")
        code = host.wait(30)
        s.record("host run with a failing renderer", time.monotonic() - t0)
        s.check(code == 0, "the host ends on its own (%s)" % code)
        s.check(not s.x_windows(RENDERER_TITLE), "no renderer window ever stayed")
        pid = renderer_starter_pid(host)
        s.check(pid is not None, "the host started the renderer once")
        s.check(cursor_calls(host, pid) == [(0, -1), (1, 0)], "the cursor was shown again")
    finally:
        for path in blocked:
            os.rmdir(path)


def test_killed_renderer_ends_the_host(s):
    s.remove_textures()
    normal_mode = s.display_mode()
    host, _, _ = start_saver(s, "/s", env=TRACE_DISPLAY_ENV)
    saver = s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
    s.log("display mode %s before the run, %s while it runs" % (normal_mode, s.display_mode()))
    renderer = renderer_unix_pid(s)
    clock = EndClock(host)
    t0 = time.monotonic()
    os.kill(renderer, 9)
    code = clock.wait(15)
    s.check(code is not None, "the host ends after the renderer was killed")
    s.record("killed renderer to host exit", clock.at - t0)
    s.check(code == 0, "the host's exit code is 0 (%s)" % code)
    s.check(clock.at - t0 < HOST_FOLLOWS_SECONDS, "the host ends within %.1f s of the kill (%.3f s)"
            % (HOST_FOLLOWS_SECONDS, clock.at - t0))
    s.check(cursor_calls(host, saver["pid"]) == [(0, -1), (1, 0)], "the cursor was shown again")
    # The killed renderer could not give the display mode back; the host did, once.
    s.check(display_mode_calls(host, saver["pid"]) == ["(null) (nil) (nil) 0 (nil)"],
            "the host returned to the registry's display mode (%s)" % display_mode_calls(host, saver["pid"]))
    s.check(s.display_mode() == normal_mode, "the display mode is back to %s" % normal_mode)


# --- preview ---------------------------------------------------------------------------------------------

def embedded(s, title):
    """The child window with this title inside the preview area, or None."""
    info = s.win_info(AREA_TITLE, children=True)
    if not info:
        return None
    for c in info["children"]:
        if c["text"] == title and c["visible"]:
            return c
    return None


def preview_child(s):
    return embedded(s, PREVIEW_TITLE)


def start_preview(s, width, height, switch="/p"):
    """The stand-in preview area at (100, 80) and the host embedded in it; checks the embedding's geometry.
    NOTE: Wine does not paint a child window into a parent that belongs to another process (the area keeps
    its own colour), so the picture's pixels are checked by the in-process preview window tests."""
    area = s.start(s.tool_path("host_preview_parent.exe"), str(width), str(height), "100", "80", name="area")
    hwnd = s.wait_for(lambda: area.stdout().strip(), 30, "the preview area's handle")
    args = (switch + hwnd,) if switch.endswith(":") else (switch, hwnd)
    host = s.start(scr(s), *args, name="host")
    child = s.wait_for(lambda: preview_child(s), 20, "the preview inside the area")
    image = s.wait_for(lambda: embedded(s, "Img_Prev"), 10, "the picture control Img_Prev")
    for what, c in (("the preview window", child), ("Img_Prev", image)):
        left, top, right, bottom = c["rect"]
        s.check((left, top, right - left, bottom - top) == (100, 80, width, height),
                "%s fills the %d x %d area at its top-left (%s)" % (what, width, height, c["rect"]))
    s.screenshot("preview-%dx%d" % (width, height))
    s.check(s.win_info(PREVIEW_TITLE) is None, "the preview is no top-level window any more")
    return area, host


def end_preview(s, area, host):
    t0 = time.monotonic()
    s.post(AREA_TITLE, WM_CLOSE)
    s.check(area.wait(15) == 0, "the area is gone")
    code = host.wait(15)
    s.record("preview area gone to host exit", time.monotonic() - t0)
    s.check(code == 0, "destroying the area ends the host (%s)" % code)


def test_preview_fills_the_standard_area(s):
    s.remove_textures()
    area, host = start_preview(s, 152, 112, switch="/P:")
    s.check(s.win_info(SAVER_TITLE) is None and not s.x_windows(RENDERER_TITLE), "the preview starts no renderer")
    s.check(not os.path.exists(s.prefix_path("C:\\Tessalume.bmp")), "the preview writes no texture")
    end_preview(s, area, host)


def test_preview_in_a_larger_area(s):
    area, host = start_preview(s, 300, 200)
    end_preview(s, area, host)


def test_preview_without_a_window_ends_at_once(s):
    for args in (("/p", "0"), ("/p", "12345"), ("/p",)):
        host = s.start(scr(s), *args, name="host" + "-".join(args).replace("/", ""))
        s.check(host.wait(15) == 0, "Orvalis.scr %s ends at once" % " ".join(args))


def test_resources(s):
    code, text = s.run_tool("host_resources", scr(s))
    s.check(code == 0, "the host's resources can be read")
    values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
    s.log("resources: %s" % values)
    s.check(values.get("Translation") == "0411,1200", "the version block is Japanese")
    s.check(values.get("ProductName") == "Orvalis (ScreenSaver)", "product name")
    s.check(values.get("FileVersion") == "1.00.0001" and values.get("ProductVersion") == "1.00.0001", "versions")
    s.check(values.get("OriginalFilename") == "Orvalis.scr", "original file name")
    s.check(values.get("icons") == "1", "one icon")
    s.check(values.get("manifests") == "1", "a manifest")
    s.check(values.get("bitmap101") == "152x112x24", "the 152 x 112 preview picture")
    s.check(values.get("string1.0411") == "Orvalis", "the display name is string 1 of the Japanese block")
    s.check(values.get("string1") == "Orvalis", "the display name loads as string 1")


if __name__ == "__main__":
    sys.exit(main(globals()))
