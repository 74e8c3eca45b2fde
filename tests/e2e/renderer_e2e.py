"""The real Orvalis.dll under Wine: the turning cloud, the ways it ends, and its start-up failures."""

import math
import os
import re
import struct
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from harness import main, screen  # noqa: E402
from pictures import changed_share, cloud_on_screen, hue_buckets, lit_share  # noqa: E402

TITLE = "Orvalis_VC"
QUESTION = "Kova GL"
QUESTION_TEXT = "フルスクリーンモード未対応 Use Windowed Mode Instead?"
WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_EX_TOPMOST = 0x00000008
SHOW_CURSOR = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:trace:cursor:NtUserShowCursor \d, count=(-?\d+)", re.M)


def start_renderer(s):
    return s.start(s.bin_path("Orvalis.dll"), name="renderer")


def check_cloud(s, renderer, prefix, region=None):
    """Two screenshots a second apart show coloured, overlapping shapes on black that move."""
    first = s.screenshot(prefix + "-1", sample=50)
    time.sleep(1.0)
    second = s.screenshot(prefix + "-2", sample=50)
    s.check(renderer.alive(), "the renderer keeps running")
    left, top, width, height = [v // 2 for v in region] if region else (0, 0, first.width, first.height)
    a = first.region(left, top, width, height)
    b = second.region(left, top, width, height)
    lit = max(lit_share(a), lit_share(b))
    hues = hue_buckets(a) | hue_buckets(b)
    moved = changed_share(a, b)
    s.log("lit share %.3f, hues %s, changed %.3f" % (lit, sorted(hues), moved))
    s.check(cloud_on_screen(a) or cloud_on_screen(b), "a good part of the screen is lit (%.3f)" % lit)
    s.check(lit < 0.98, "the background stays black between the shapes (%.3f)" % lit)
    s.check(len(hues) >= 3, "the shapes carry several distinct hues")
    # One particle adds at most half of its colour; brighter pixels exist only where shapes add up.
    bright = max(sum(1 for p in px if max(p) > 170) for px in (a, b))
    s.check(bright > 0, "overlapping shapes add up beyond a single layer (%d pixels)" % bright)
    s.check(moved > 0.02, "the cloud moves between the two screenshots (%.3f)" % moved)


def test_cloud_then_escape(s):
    s.remove_textures()
    s.install_texture()
    normal_mode = s.display_mode()
    renderer = start_renderer(s)
    window = s.find_window(TITLE, program=renderer)
    info = s.wait_for(lambda: s.win_info(TITLE), 20, "the render window's details")
    s.check(info["class"] == "OpenGL", "the window class is OpenGL")
    s.check(info["client"] == (1024, 768), "the client area is 1024 x 768 (%s)" % (info["client"],))
    s.check(info["style"] & WS_POPUP and not info["style"] & WS_CAPTION, "a full-screen popup without title bar")
    # NOTE: Wine shows a changed colour depth only to the process that asked; others see the size.
    mode = s.display_mode()
    s.check(mode.startswith("1024x768x"), "the display runs at 1024 x 768 while the saver shows (%s)" % mode)
    check_cloud(s, renderer, "cloud")

    # Pointer movement, clicks and other keys leave it running.
    s.point_at(window)
    for x, y in ((100, 100), (900, 700), (512, 384)):
        s.move_mouse(x, y)
    s.click(512, 384)
    s.key(window, "a", "space", "Return", "F1", "shift+Tab")
    s.check(renderer.wait(1.5) is None, "mouse and other keys do not end the renderer")
    after = s.screenshot("after-input", sample=50)
    s.check(cloud_on_screen(after.data_pixels()), "the cloud still shows after the input")

    s.hold_key(window, "Escape")
    s.check(renderer.wait(30) == 0, "Escape ends the renderer with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")
    s.check(s.display_mode() == normal_mode, "the display mode is restored (%s)" % normal_mode)


def test_close_from_another_process(s):
    s.install_texture()
    renderer = start_renderer(s)
    s.find_window(TITLE, program=renderer)
    # The screen saver and monitor power-down commands are swallowed; so is a key code outside the table.
    for command in (0xF140, 0xF170):
        s.check(s.post(TITLE, "WM_SYSCOMMAND", command, 2, send=True), "system command %#x delivered" % command)
    s.check(s.post(TITLE, "WM_KEYDOWN", 0x11B), "out-of-range key code delivered")
    s.check(renderer.wait(1.0) is None, "none of them ends the renderer")
    s.check(s.win_info(TITLE) is not None, "the window is still there")
    check_cloud(s, renderer, "before-close")

    s.check(s.post(TITLE, "WM_CLOSE"), "WM_CLOSE posted from another process")
    s.check(renderer.wait(30) == 0, "WM_CLOSE ends the renderer with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")


def test_alt_f4_ends(s):
    s.install_texture()
    renderer = start_renderer(s)
    window = s.find_window(TITLE, program=renderer)
    # The default window procedure turns Alt+F4 into the close command and that into WM_CLOSE.
    s.hold_key(window, "alt+F4")
    s.check(renderer.wait(30) == 0, "Alt+F4 ends the renderer with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")


def test_no_texture_file(s):
    s.remove_textures()
    normal_mode = s.display_mode()
    renderer = start_renderer(s)
    s.check(renderer.wait(60) == 0, "without a texture the renderer ends with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")
    s.check(s.display_mode() == normal_mode, "the display mode is restored")


def test_corrupt_texture_file(s):
    s.remove_textures()
    with open(s.prefix_path("C:\\Tessalume.bmp"), "wb") as f:
        f.write(b"BM" + b"\x7f" * 60 + b"not a bitmap at all")
    renderer = s.start(s.bin_path("Orvalis.dll"), name="renderer", env={"WINEDEBUG": "+pid,+cursor"})
    s.find_window("Error", program=renderer)
    s.screenshot("error-box")
    # The full-screen start hid the pointer; the box comes with it shown again.
    pid = s.win_info(TITLE)["pid"]
    with open(renderer.stderr_path, encoding="utf-8", errors="replace") as f:
        counts = [int(m.group(2)) for m in SHOW_CURSOR.finditer(f.read()) if int(m.group(1), 16) == pid]
    s.check(counts[:1] == [-1] and counts[-1:] == [0], "the pointer is shown while the box is up (%s)" % counts)
    # Dismiss every box the reader shows until the program ends (bounded).
    deadline = time.monotonic() + 60
    boxes = 0
    while renderer.alive() and time.monotonic() < deadline:
        if s.x_windows("Error"):
            s.click_child("Error", "OK")
            boxes += 1
            s.wait_for(lambda: not s.x_windows("Error") or not renderer.alive(), 10, "the box to close")
        else:
            renderer.wait(0.3)
    s.check(boxes >= 1, "the Error box was shown and dismissed")
    s.check(renderer.wait(30) == 0, "after the box the renderer ends with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")


def answer_question(s, renderer, button):
    s.find_window(QUESTION, program=renderer)
    info = s.wait_for(lambda: s.win_info(QUESTION, children=True), 20, "the question's controls")
    texts = [c["text"] for c in info["children"]]
    s.check(QUESTION_TEXT in texts, "the question shows its Japanese words intact (%r)" % texts)
    s.check("&Yes" in texts and "&No" in texts, "the question offers Yes and No")
    s.screenshot("question")
    s.click_child(QUESTION, button)


@screen("800x600")
def test_small_screen_yes_runs_windowed(s):
    s.install_texture()
    renderer = start_renderer(s)
    answer_question(s, renderer, "&Yes")
    s.find_window(TITLE, program=renderer)
    info = s.wait_for(lambda: s.win_info(TITLE), 20, "the render window's details")
    s.check(info["client"] == (1024, 768), "the windowed client area is 1024 x 768 (%s)" % (info["client"],))
    s.check((info["style"] & WS_CAPTION) == WS_CAPTION, "the window has a title bar")
    s.check(not info["exstyle"] & WS_EX_TOPMOST, "a window the user chose is not topmost")
    ox, oy = info["client_origin"]
    visible = (max(ox, 0), max(oy, 0), 800 - max(ox, 0), 600 - max(oy, 0))
    check_cloud(s, renderer, "windowed", visible)

    # A window the user chose pauses while minimised (non-zero high word of WM_ACTIVATE) instead of ending,
    # and goes on when restored.
    s.check(s.post(TITLE, "WM_ACTIVATE", (1 << 16) | 0), "WM_ACTIVATE for a minimised window posted")
    s.wait_for(lambda: changed_share(s.screenshot("paused-a", sample=50).data_pixels(),
                                     s.screenshot("paused-b", sample=50).data_pixels()) == 0.0,
               15, "the animation to stand still")
    s.check(s.post(TITLE, "WM_ACTIVATE", 1), "WM_ACTIVATE for a restored window posted")
    check_cloud(s, renderer, "resumed", visible)
    s.check(s.post(TITLE, "WM_CLOSE"), "WM_CLOSE posted")
    s.check(renderer.wait(30) == 0, "the windowed renderer ends with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window is left")


@screen("800x600")
def test_small_screen_no_ends(s):
    s.install_texture()
    renderer = start_renderer(s)
    answer_question(s, renderer, "&No")
    s.check(renderer.wait(30) == 0, "No ends the renderer with exit code 0")
    s.check(s.wait_window_gone(TITLE, 10), "no Orvalis_VC window was left")


# Mesa as an OpenGL 1.1 driver without textures of any size, as the system's own software OpenGL is.
OLD_DRIVER = {"MESA_GL_VERSION_OVERRIDE": "1.1", "MESA_EXTENSION_OVERRIDE": "-GL_ARB_texture_non_power_of_two"}


def write_bmp(path, width, height, pixel):
    """A bottom-up 24-bit bitmap file whose pixel (x, y from the top) is pixel(x, y) -> (r, g, b)."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    bits = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + bits)


def rings(width, height):
    """Two bright rings on black, filling the picture as the host's ring picture does."""
    def pixel(x, y):
        r = math.hypot((x + 0.5 - width / 2) / (width / 2), (y + 0.5 - height / 2) / (height / 2))
        return (255, 255, 255) if 0.25 < r < 0.4 or 0.7 < r < 0.85 else (0, 0, 0)
    return pixel


def bright_share(s, renderer, name):
    """The largest share of bright pixels over a few screenshots of the running cloud."""
    shares = []
    for i in range(4):
        time.sleep(0.5)
        shares.append(lit_share(s.screenshot("%s-%d" % (name, i), sample=50).data_pixels(), 160))
    s.check(renderer.alive(), "the renderer keeps running")
    return max(shares)


def test_old_driver_draws_rings_of_any_size(s):
    code, text = s.run_tool("glinfo", env=OLD_DRIVER)
    s.log("driver with the overrides: %s" % text.strip().replace("\n", "; "))
    s.check(code == 0 and "version=1.1" in text and "npot=0" in text,
            "Wine's opengl32 reports version 1.1 without GL_ARB_texture_non_power_of_two")
    shares = {}
    for name, width, height, pixel in (("solid", 128, 128, lambda x, y: (255, 255, 255)),
                                       ("rings", 120, 100, rings(120, 100))):
        s.remove_textures()
        write_bmp(s.output_path(name + ".bmp"), width, height, pixel)
        s.install_texture(s.output_path(name + ".bmp"))
        renderer = s.start(s.bin_path("Orvalis.dll"), name="renderer-" + name, env=OLD_DRIVER)
        window = s.find_window(TITLE, program=renderer)
        s.wait_for(lambda: cloud_on_screen(s.screenshot(name + "-lit", sample=50).data_pixels()), 20,
                   "the cloud of the %s picture" % name)
        shares[name] = bright_share(s, renderer, name)
        s.log("measured bright share with the %dx%d %s picture = %.3f" % (width, height, name, shares[name]))
        s.key(window, "Escape")
        s.check(renderer.wait(15) == 0, "Escape ends the renderer")
    s.check(shares["rings"] < shares["solid"] / 2, "the 120 x 100 rings draw as rings, not as solid quads "
            "(%.3f bright against %.3f for solid quads)" % (shares["rings"], shares["solid"]))
    s.check(shares["rings"] > 0.002, "the rings show (%.3f bright)" % shares["rings"])


# Windows 10/11, 8.1, 8 and 7, in the order both manifests list them.
SUPPORTED_OS = ("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a},{1f676c76-80e1-4239-95bb-83d0f6d0da78},"
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38},{35138b9a-5d96-4fbd-8e2d-a2440225f93a}")


def test_manifest_names_the_systems(s):
    found = {}
    for program in ("Orvalis.dll", "Orvalis.scr"):
        code, text = s.run_tool("host_resources", s.bin_path(program))
        s.check(code == 0, "the resources of %s can be read" % program)
        values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
        s.log("%s: %s" % (program, values))
        s.check(values.get("manifests") == "1", "%s carries one manifest" % program)
        found[program] = values.get("supportedOS")
    s.check(found["Orvalis.dll"] == SUPPORTED_OS, "the renderer names Windows 7, 8, 8.1 and 10/11 (%s)"
            % found["Orvalis.dll"])
    s.check(found["Orvalis.dll"] == found["Orvalis.scr"], "exactly as the host does")


if __name__ == "__main__":
    sys.exit(main(globals()))
