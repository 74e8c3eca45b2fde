"""The real `Orvalis.scr /c` under Wine: the settings window, driven with real clicks and keys, and the
settings file it writes, checked byte for byte."""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import TestFailure, main  # noqa: E402

TITLE = "<Orvalis>"
FILE_DIALOG = "ﾌｧｲﾙを開く"
BOX_CAPTION = "Orvalis (ScreenSaver)"
SAVER_DIR = "C:\\Saver"

KIND = b"BGM\x8b\xe6\x95\xaa"
REPEAT = b"BGM\xd8\xcb\xdf\xb0\xc4"
FILE = b"BGM\xcc\xa7\xb2\xd9"

# Client coordinates of the controls.
PANEL = (12, 16, 469, 165)
ROWS = {0: (44, 76), 1: (44, 56), 2: (44, 96)}  # caption labels of the rows
MARKS = {0: (28, 76), 1: (28, 56), 2: (28, 96)}  # mark pictures, inside the panel
REPEAT_BOX = (112, 52, 41, 20)
CMD_FILE = (28, 116, 41, 21)
FNAME = (72, 116, 373, 33)
CMD_SET = (324, 200, 77, 25)
CMD_CAN = (404, 200, 77, 25)


def install_saver(s, ini=None):
    """Both programs in a folder of their own on drive C:, with a settings file of the given bytes."""
    folder = s.prefix_path(SAVER_DIR)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name in ("Orvalis.scr", "Orvalis.dll"):
        shutil.copyfile(s.bin_path(name), os.path.join(folder, name))
    ini_path = os.path.join(folder, "Orvalis.ini")
    if ini is not None:
        with open(ini_path, "wb") as f:
            f.write(ini)
    return folder, ini_path


SERVER = "orvalis-fileserver"


def run_reg(s, *args):
    return subprocess.run(["timeout", "-k", "5", "60", "wine", "reg", *args], env=s.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=70).returncode


def map_network_drive(s):
    """Drive Y: as a network drive (as the platform reports it) over a folder of the test's output; returns
    the Unix path of Y:\\orvalis-fileserver. The platform reads the drive types when its services start."""
    share = s.output_path("share")
    os.makedirs(os.path.join(share, SERVER), exist_ok=True)
    drive = os.path.join(s.prefix, "dosdevices", "y:")
    if os.path.lexists(drive):
        os.unlink(drive)
    os.symlink(share, drive)
    s.check(run_reg(s, "add", "HKLM\\Software\\Wine\\Drives", "/v", "y:", "/d", "network", "/f") == 0,
            "drive Y: is a network drive")
    s._wineserver("-k")
    s._wineserver("-w", timeout=20)
    return os.path.join(share, SERVER)


def unmap_network_drive(s):
    drive = os.path.join(s.prefix, "dosdevices", "y:")
    if os.path.lexists(drive):
        os.unlink(drive)
    run_reg(s, "delete", "HKLM\\Software\\Wine\\Drives", "/v", "y:", "/f")


def install_shared_saver(s, ini):
    """Both programs and the settings file in the system folder, where every user shares the settings."""
    folder = s.prefix_path("C:\\windows\\system32")
    for name in ("Orvalis.scr", "Orvalis.dll"):
        shutil.copyfile(s.bin_path(name), os.path.join(folder, name))
    ini_path = os.path.join(folder, "Orvalis.ini")
    with open(ini_path, "wb") as f:
        f.write(ini)
    return folder, ini_path


def remove_shared_saver(s):
    for name in ("Orvalis.scr", "Orvalis.dll", "Orvalis.ini"):
        path = os.path.join(s.prefix_path("C:\\windows\\system32"), name)
        if os.path.exists(path):
            os.unlink(path)


def settings_file(kind, repeat, path):
    return b"[Section]\r\n%s=%s\r\n%s=%s\r\n%s=%s\r\n" % (KIND, kind, REPEAT, repeat, FILE, path)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Dialog:
    """The open settings window: its client origin and clicks at client coordinates."""

    def __init__(self, s, program):
        self.s = s
        self.program = program
        self.x_id = s.find_window(TITLE, program=program)
        info = s.wait_for(lambda: s.win_info(TITLE), 20, "the settings window's details")
        self.info = info
        self.origin = info["client_origin"]

    def at(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def click(self, x, y, button=1):
        sx, sy = self.at(x, y)
        self.s.click(sx, sy, button)

    def click_rect(self, rect, in_panel=False, button=1):
        left, top, width, height = rect
        if in_panel:
            left += PANEL[0]
            top += PANEL[1]
        self.click(left + width // 2, top + height // 2, button)

    def select_row(self, row, button=1):
        x, y = ROWS[row]
        self.click(PANEL[0] + x + 6, PANEL[1] + y + 6, button)

    def type_track(self, text):
        self.click_rect(REPEAT_BOX, in_panel=True)
        self.s._xdotool("key", "ctrl+a", "BackSpace", check=True)
        if text:
            self.s._xdotool("type", "--delay", "40", text, check=True)

    def shot(self, name):
        image = self.s.screenshot(name)
        return image

    def client_pixel(self, image, x, y):
        return image.pixel(self.origin[0] + x, self.origin[1] + y)

    def wait_closed(self):
        self.s.check(self.program.wait(20) == 0, "the dialog closes and the host ends")
        self.s.check(self.s.wait_window_gone(TITLE, 10), "no settings window is left")


def open_dialog(s, ini=None, name="host", env=None):
    folder, ini_path = install_saver(s, ini)
    program = s.start(os.path.join(folder, "Orvalis.scr"), "/c", name=name, env=env)
    return Dialog(s, program), ini_path


def choose_in_file_dialog(s, text):
    """Types a name into the open-file dialog and confirms it."""
    x_id = s.find_window(FILE_DIALOG, seconds=30)
    s.point_at(x_id)
    # The name field has the focus when the dialog opens.
    s._xdotool("type", "--delay", "30", text, check=True)
    s._xdotool("key", "Return", check=True)
    s.wait_for(lambda: not s.x_windows(FILE_DIALOG), 15, "the file dialog to close")


def cancel_file_dialog(s):
    x_id = s.find_window(FILE_DIALOG, seconds=30)
    s.point_at(x_id)
    s._xdotool("key", "Escape", check=True)
    s.wait_for(lambda: not s.x_windows(FILE_DIALOG), 15, "the file dialog to close")


def dismiss_box(s, dialog):
    """Waits for the window's message box, returns its text and presses its one button."""
    s.find_window(BOX_CAPTION, program=dialog.program)
    info = s.wait_for(lambda: s.win_info(BOX_CAPTION, children=True), 10, "the message box's details")
    buttons = [c for c in info["children"] if c["class"].lower() == "button" and c["visible"]]
    s.check(len(buttons) == 1, "the message box has one button")
    text = "\n".join(c["text"] for c in info["children"] if c["class"].lower() == "static")
    s.screenshot("box-%s" % dialog.program.name)
    s.click_child(BOX_CAPTION, buttons[0]["text"])
    s.check(s.wait_window_gone(BOX_CAPTION, 10), "the message box is gone")
    return text


def mark_is_selected(dialog, image, row):
    """The selected mark carries a dark blue dot at its centre; the empty one is white there."""
    x, y = MARKS[row]
    r, g, b = dialog.client_pixel(image, PANEL[0] + x + 5, PANEL[1] + y + 5)
    return b > 80 and r < 60 and g < 100


def test_file_row_then_set_without_a_file(s):
    dialog, ini = open_dialog(s, settings_file(b"0", b"0", b""))
    dialog.select_row(2)
    time.sleep(0.3)
    image = dialog.shot("row-2-selected")
    s.check(mark_is_selected(dialog, image, 2), "row 2 shows the selected mark")
    s.check(not mark_is_selected(dialog, image, 0), "row 0 lost its mark")
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    s.check(read(ini) == settings_file(b"2", b"0", b""), "Set writes 2, 0 and an empty file (%r)" % read(ini))


def test_choose_a_file_then_set(s):
    for folder, names in (("C:\\Other", ("start.wav", "picked.wav")), ("C:\\Music Files", ("first.wav", "second.mp3"))):
        os.makedirs(s.prefix_path(folder), exist_ok=True)
        for name in names:
            with open(s.prefix_path(folder + "\\" + name), "wb") as f:
                f.write(b"RIFF")
    dialog, ini = open_dialog(s, settings_file(b"2", b"0", b"C:\\Other\\start.wav"))
    dialog.click_rect(CMD_FILE, in_panel=True)
    choose_in_file_dialog(s, "C:\\Music Files\\first.wav")
    before = dialog.shot("file-chosen")
    # The file name box shows the path: dark text pixels inside it.
    left, top, width, height = FNAME
    dark = 0
    for y in range(top + 3, top + height - 3):
        for x in range(left + 3, left + 200):
            if max(dialog.client_pixel(before, PANEL[0] + x, PANEL[1] + y)) < 60:
                dark += 1
    s.check(dark > 40, "the chosen path shows in the file name box (%d dark pixels)" % dark)

    # The next time it opens in the chosen file's folder.
    dialog.click_rect(CMD_FILE, in_panel=True)
    choose_in_file_dialog(s, "second.mp3")
    # Cancelling keeps that choice.
    dialog.click_rect(CMD_FILE, in_panel=True)
    cancel_file_dialog(s)
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    expected = settings_file(b"2", b"0", b"C:\\Music Files\\second.mp3")
    s.check(read(ini) == expected, "Set writes the file chosen in its folder (%r)" % read(ini))


def test_a_path_too_long_for_the_settings_file_is_refused(s):
    # Code page 932, where these characters take two bytes each: the paths have 133 and 134 characters, well
    # within the chooser's 254, but 255 and 256 bytes in the settings file. The saved a.wav has 254 and loads
    # whole.
    env = s.japanese_env()
    folder = "C:\\" + "あ" * 63 + "\\" + "い" * 59
    os.makedirs(s.prefix_path(folder), exist_ok=True)
    for name in ("a.wav", "ab.wav", "abc.wav"):
        with open(s.prefix_path(folder + "\\" + name), "wb") as f:
            f.write(b"RIFF")
    fits, too_long = ((folder + "\\" + name).encode("cp932") for name in ("ab.wav", "abc.wav"))
    s.check(len(fits) == 255 and len(too_long) == 256, "paths of 255 and 256 bytes")
    original = settings_file(b"2", b"0", (folder + "\\a.wav").encode("cp932"))

    # The chooser opens in the saved file's folder; the 256-byte path is refused and the old one stays.
    dialog, ini = open_dialog(s, original, name="host-256", env=env)
    dialog.click_rect(CMD_FILE, in_panel=True)
    choose_in_file_dialog(s, "abc.wav")
    text = dismiss_box(s, dialog)
    s.check("255 バイトを超える" in text, "the message says the path is longer than 255 bytes (%r)" % text)
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    s.check(read(ini) == original, "Set writes the previous choice unchanged")

    # 255 bytes are taken and saved whole.
    dialog, ini = open_dialog(s, original, name="host-255", env=env)
    dialog.click_rect(CMD_FILE, in_panel=True)
    choose_in_file_dialog(s, "ab.wav")
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    s.check(read(ini) == settings_file(b"2", b"0", fits), "the 255-byte path is saved whole")


def test_a_file_on_another_computer_is_refused_in_the_system_folder(s):
    share = map_network_drive(s)
    with open(os.path.join(share, "a.wav"), "wb") as f:
        f.write(b"RIFF")
    chosen = "Y:\\%s\\a.wav" % SERVER
    os.makedirs(s.prefix_path("C:\\Music"), exist_ok=True)
    with open(s.prefix_path("C:\\Music\\start.wav"), "wb") as f:
        f.write(b"RIFF")
    original = settings_file(b"2", b"0", b"C:\\Music\\start.wav")
    try:
        # Every user's settings: the file on the network drive is refused and nothing of it is saved.
        folder, ini = install_shared_saver(s, original)
        dialog = Dialog(s, s.start(os.path.join(folder, "Orvalis.scr"), "/c", name="host-shared"))
        dialog.click_rect(CMD_FILE, in_panel=True)
        choose_in_file_dialog(s, chosen)
        text = dismiss_box(s, dialog)
        s.check("別のコンピュータ" in text, "the message says the file lies on another computer (%r)" % text)
        dialog.click_rect(CMD_SET)
        dialog.wait_closed()
        s.check(read(ini) == original, "Set writes the previous choice unchanged")
    finally:
        remove_shared_saver(s)
        unmap_network_drive(s)
    # The user's own copy takes the same file.
    share = map_network_drive(s)
    try:
        dialog, ini = open_dialog(s, original, name="host-own")
        dialog.click_rect(CMD_FILE, in_panel=True)
        choose_in_file_dialog(s, chosen)
        dialog.click_rect(CMD_SET)
        dialog.wait_closed()
        s.check(read(ini) == settings_file(b"2", b"0", chosen.encode("ascii")), "saved in the user's own folder")
    finally:
        unmap_network_drive(s)


def test_first_choice_opens_in_the_saved_folder(s):
    os.makedirs(s.prefix_path("C:\\Other"), exist_ok=True)
    with open(s.prefix_path("C:\\Other\\start.wav"), "wb") as f:
        f.write(b"RIFF")
    dialog, ini = open_dialog(s, settings_file(b"2", b"0", b"C:\\Other\\start.wav"))
    dialog.click_rect(CMD_FILE, in_panel=True)
    choose_in_file_dialog(s, "picked.wav")
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    expected = settings_file(b"2", b"0", b"C:\\Other\\picked.wav")
    s.check(read(ini) == expected, "a bare name lands in the saved file's folder (%r)" % read(ini))


def test_cd_row_with_a_track(s):
    # A file that exists stays chosen beside the CD.
    with open(s.prefix_path("C:\\old.mp3"), "wb") as f:
        f.write(b"ID3")
    for text, written in (("3", b"3"), ("2.5", b"2"), ("abc", b"0")):
        dialog, ini = open_dialog(s, settings_file(b"0", b"0", b"C:\\old.mp3"), name="host-" + text)
        dialog.select_row(1, button=3)  # any mouse button picks a row
        dialog.type_track(text)
        dialog.click_rect(CMD_SET)
        dialog.wait_closed()
        expected = settings_file(b"1", written, b"C:\\old.mp3")
        s.check(read(ini) == expected, "track text %r is saved as %r (%r)" % (text, written, read(ini)))


def test_cancel_and_close_box_write_nothing(s):
    original = settings_file(b"1", b"4", b"")
    for how in ("cancel", "close"):
        dialog, ini = open_dialog(s, original, name="host-" + how)
        stamp = os.stat(ini).st_mtime_ns
        time.sleep(0.05)
        dialog.select_row(2)
        if how == "cancel":
            dialog.click_rect(CMD_CAN)
        else:
            s.check(s.post(TITLE, "WM_CLOSE"), "the close request reaches the dialog")
        dialog.wait_closed()
        s.check(read(ini) == original, "%s leaves the settings bytes alone" % how)
        s.check(os.stat(ini).st_mtime_ns == stamp, "%s leaves the file's time alone" % how)


def test_choice_outside_the_rows(s):
    dialog, ini = open_dialog(s, settings_file(b"5", b"7", b""))
    time.sleep(0.5)
    image = dialog.shot("choice-5")
    for row in (0, 1, 2):
        s.check(not mark_is_selected(dialog, image, row), "row %d carries no mark" % row)
    # Both controls are disabled: the track box takes no typing, the file button opens nothing.
    dialog.type_track("3")
    dialog.click_rect(CMD_FILE, in_panel=True)
    time.sleep(1.5)
    s.check(not s.x_windows(FILE_DIALOG), "the disabled file button opens no file dialog")
    # Set writes the choice 5 and the track text 7 back unchanged.
    dialog.click_rect(CMD_SET)
    dialog.wait_closed()
    s.check(read(ini) == settings_file(b"5", b"7", b""), "Set writes the unknown choice back (%r)" % read(ini))


def test_second_instance_ends_at_once(s):
    dialog, ini = open_dialog(s, settings_file(b"0", b"0", b""))
    second = s.start(s.prefix_path(SAVER_DIR + "\\Orvalis.scr"), "/c", name="second")
    s.check(second.wait(15) == 0, "a second /c ends at once")
    s.check(len(s.x_windows(TITLE)) == 1, "only one settings window shows")
    dialog.click_rect(CMD_CAN)
    dialog.wait_closed()


def focused_control(s, dialog):
    """Client rectangle of the control that has the keyboard focus, and its class."""
    info = s.win_info(TITLE, children=True)
    c = next((c for c in info["children"] if c["hwnd"].lower() == info.get("focus", "").lower()), None)
    if c is None:
        return None
    left, top, right, bottom = c["rect"]
    ox, oy = dialog.origin
    return c["class"].lower(), (left - ox, top - oy, right - left, bottom - top)


def tab_walk(s, dialog, steps):
    seen = []
    for _ in range(steps):
        s._xdotool("key", "Tab", check=True)
        time.sleep(0.3)
        seen.append(s.wait_for(lambda: focused_control(s, dialog), 10, "a focused control"))
    return seen


def test_tab_order(s):
    dialog, ini = open_dialog(s, settings_file(b"1", b"0", b""))
    set_button = ("veyra.command", CMD_SET)
    cancel = ("veyra.command", CMD_CAN)
    file_button = ("veyra.command", (PANEL[0] + CMD_FILE[0], PANEL[1] + CMD_FILE[1], CMD_FILE[2], CMD_FILE[3]))
    # The audio CD row: the track box is in the order, the disabled file button is not.
    dialog.click_rect(REPEAT_BOX, in_panel=True)
    first = s.wait_for(lambda: focused_control(s, dialog), 10, "the track box's focus")
    s.check(first[0] == "edit", "a click puts the focus into the track box (%s)" % (first,))
    walk = tab_walk(s, dialog, 3)
    s.log("tab walk from the track box: %s" % walk)
    s.check(walk[0] == set_button and walk[1] == cancel, "Tab goes on to Set, then Cancel")
    s.check(walk[2][0] == "edit", "and back to the track box")
    # The file row: the file button comes before Set; the disabled track box is passed over. The focus left
    # the track box when it was disabled, for the first control in the order.
    dialog.select_row(2)
    now = s.wait_for(lambda: focused_control(s, dialog), 10, "the focus after the track box was disabled")
    s.check(now == file_button, "the disabled track box hands the focus to the file button (%s)" % (now,))
    walk = tab_walk(s, dialog, 3)
    s.log("tab walk with the file row: %s" % walk)
    s.check(walk == [set_button, cancel, file_button], "the file button, Set, Cancel, round again")
    dialog.click_rect(CMD_CAN)
    dialog.wait_closed()
    s.check(read(ini) == settings_file(b"1", b"0", b""), "Cancel wrote nothing")


def test_layout_matches_the_design(s):
    dialog, ini = open_dialog(s, settings_file(b"1", b"7", b""))
    s.check(dialog.info["client"] == (496, 243), "the client area is 496 x 243 (%s)" % (dialog.info["client"],))
    WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME, WS_SYSMENU = 0x20000, 0x10000, 0x40000, 0x80000
    style = dialog.info["style"]
    s.check(style & WS_SYSMENU and not style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
            "a fixed frame with a system menu and no minimise or maximise box")
    time.sleep(0.5)
    image = dialog.shot("layout")

    def near(a, b, tolerance=6):
        return all(abs(x - y) <= tolerance for x, y in zip(a, b))

    # Window gradient rows beside the panel (x = 5): (b, b, b + 30).
    for y, level in ((0, 0), (30, 83), (121, 220), (200, 116), (242, 0)):
        got = dialog.client_pixel(image, 5, y)
        s.check(near(got, (level, level, level + 30)), "window row %d is %s (%s)" % (y, (level,) * 2, got))
    # The panel has its own grey ramp, brightest in its middle.
    mid = dialog.client_pixel(image, PANEL[0] + 400, PANEL[1] + PANEL[3] // 2)
    top = dialog.client_pixel(image, PANEL[0] + 400, PANEL[1])
    s.check(near(mid, (250, 250, 250)), "the panel's middle is light grey (%s)" % (mid,))
    s.check(near(top, (30, 30, 30)), "the panel's top is dark grey (%s)" % (top,))
    # The buttons and the track box stand at their places.
    info = s.win_info(TITLE, children=True)
    ox, oy = dialog.origin

    def child_rect(cls):
        return sorted((c["rect"][0] - ox, c["rect"][1] - oy, c["rect"][2] - c["rect"][0],
                       c["rect"][3] - c["rect"][1]) for c in info["children"] if c["class"] == cls)

    buttons = child_rect("Veyra.Command")
    expected = sorted([(PANEL[0] + CMD_FILE[0], PANEL[1] + CMD_FILE[1], CMD_FILE[2], CMD_FILE[3]), CMD_SET, CMD_CAN])
    s.check(buttons == expected, "the three buttons stand at their places (%s)" % (buttons,))
    s.check(child_rect("Veyra.Panel") == [PANEL], "the panel stands at its place")
    s.check(mark_is_selected(dialog, image, 1), "row 1 (audio CD) is marked")
    dialog.click_rect(CMD_CAN)
    dialog.wait_closed()


if __name__ == "__main__":
    main(globals())
