"""The real `Orvalis.scr /c` under Wine: the settings window, driven with real clicks and keys, and the
settings file it writes, checked byte for byte."""

import os
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from dialog_support import (CMD_CAN, CMD_FILE, CMD_SET, FILE_DIALOG, FNAME, PANEL, REPEAT_BOX, SAVER_DIR,  # noqa: E402
                            SERVER, TITLE, Dialog, cancel_file_dialog, choose_in_file_dialog, dismiss_box,
                            install_shared_saver, map_network_drive, mark_is_selected, open_dialog, read,
                            remove_shared_saver, settings_file, unmap_network_drive)
from harness import main  # noqa: E402


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
