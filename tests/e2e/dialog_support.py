"""The settings window of the real `Orvalis.scr /c` for the end-to-end tests: the saver and its settings file
installed in a folder (also on a mapped network drive), the window's controls at their design coordinates, the
dialog driven with real clicks, and the boxes and file dialog it opens."""

import os
import shutil
import subprocess

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
