"""Bad input to the real Orvalis.scr under Wine: command lines nobody should pass, and a settings file the
settings window cannot write. Each command line ends or runs as designed, shows no message, and leaves no window
and no process behind; a refused save is reported and loses nothing."""

import os
import sys

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from dialog_support import (CMD_CAN, CMD_SET, SAVER_DIR, TITLE as DIALOG_TITLE, Dialog, dismiss_box,  # noqa: E402
                        install_saver, mark_is_selected, read, settings_file)
from harness import main  # noqa: E402

RENDERER_TITLE = "Orvalis_VC"
SAVER_TITLE = "Veyra_Main"
PREVIEW_TITLE = "Preview Window"
AREA_TITLE = "PreviewArea"
WM_CLOSE = 0x0010


def check_nothing_left(s, what):
    for title in (RENDERER_TITLE, SAVER_TITLE, PREVIEW_TITLE, DIALOG_TITLE):
        s.check(s.wait_window_gone(title, 5), "%s: no %s window is left" % (what, title))
    s.wait_for(lambda: not s.unix_processes("Orvalis."), 10, "%s: the host's process to end" % what,
               interval=0.3)


def dead_window_handle(s):
    """The handle of a window that existed and was destroyed, with its process gone."""
    area = s.start(s.tool_path("host_preview_parent.exe"), "152", "112", "0", "0", name="area")
    hwnd = s.wait_for(lambda: area.stdout().strip(), 30, "the preview area's handle")
    s.check(s.post(AREA_TITLE, WM_CLOSE), "the area is asked to close")
    s.check(area.wait(15) == 0, "the area and its process are gone")
    return hwnd


def test_preview_and_unknown_command_lines_end_at_once(s):
    folder, _ = install_saver(s, settings_file(b"0", b"0", b""))
    host_path = os.path.join(folder, "Orvalis.scr")
    dead = dead_window_handle(s)
    cases = [
        ("/p", "garbage"), ("/p", "-5"), ("/p", "-2147483648"), ("/p", "99999999999999999999999"),
        ("/p", "1e300"), ("/p", "4294967296"), ("/p", dead), ("/p:" + dead,), ("/p", "0x10"),
        ("/x",), ("-", "s"), ("/", "/s"),
        # A command line near the 32 KB limit, every letter but the first two beyond any reader's buffer.
        ("/p" + "9" * 32000,), ("/q" + "A" * 32000,),
    ]
    for args in cases:
        what = "Orvalis.scr " + " ".join(a if len(a) < 40 else a[:20] + "...(%d chars)" % len(a) for a in args)
        host = s.start(host_path, *args, name="host-%02d" % cases.index(args))
        s.check(host.wait(20) == 0, "%s ends at once with exit code 0" % what)
        check_nothing_left(s, what)


def test_configure_with_trailing_garbage_opens_the_settings(s):
    original = settings_file(b"1", b"2", b"")
    folder, ini = install_saver(s, original)
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/c:garbage", name="host")
    dialog = Dialog(s, host)
    s.check(s.post(DIALOG_TITLE, WM_CLOSE), "the close request reaches the settings window")
    dialog.wait_closed()
    s.check(read(ini) == original, "closing writes nothing")
    check_nothing_left(s, "/c:garbage")


def test_saver_with_a_32_kb_command_line_runs_and_ends(s):
    folder, _ = install_saver(s, settings_file(b"0", b"0", b""))
    s.remove_textures()
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/s" + "x" * 32000, name="host")
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host)
    s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
    s.hold_key(window, "Escape")
    s.check(host.wait(20) == 0, "the saver ends normally")
    check_nothing_left(s, "/s and 32 KB")


def check_refused_set_keeps_the_window(s, dialog, ini_windows_path):
    """Set while the settings file cannot be written: a message naming the file, then the window as it was."""
    dialog.select_row(2)
    dialog.click_rect(CMD_SET)
    text = dismiss_box(s, dialog)
    s.check("設定を保存できませんでした" in text and ini_windows_path in text,
            "the message says the settings were not saved and names %s (%r)" % (ini_windows_path, text))
    s.check(dialog.program.alive() and s.x_windows(DIALOG_TITLE), "the settings window is still open")

    def row_2_alone_marked():
        image = dialog.shot("after-box-%s" % dialog.program.name)
        return mark_is_selected(dialog, image, 2) and not mark_is_selected(dialog, image, 1)
    s.wait_for(row_2_alone_marked, 10, "row 2 to be still the chosen row")


def test_set_that_cannot_be_written_says_so_and_keeps_the_window(s):
    s.refuse_writes_as_for_a_user()
    ini_windows_path = SAVER_DIR + "\\Orvalis.ini"

    # A settings file with the read-only attribute: Cancel then leaves it as it was.
    original = settings_file(b"1", b"4", b"")
    folder, ini = install_saver(s, original)
    attrib = s.start("attrib", "+r", ini_windows_path, name="attrib")
    s.check(attrib.wait(30) == 0, "attrib +r ran")
    s.check(not os.stat(ini).st_mode & 0o222, "Wine keeps the read-only attribute as no write permission")
    stamp = os.stat(ini).st_mtime_ns
    try:
        host = s.start(os.path.join(folder, "Orvalis.scr"), "/c", name="host-readonly-file")
        dialog = Dialog(s, host)
        check_refused_set_keeps_the_window(s, dialog, ini_windows_path)
        dialog.click_rect(CMD_CAN)
        dialog.wait_closed()
        s.check(read(ini) == original and os.stat(ini).st_mtime_ns == stamp, "the settings file is untouched")
    finally:
        os.chmod(ini, 0o644)

    # A folder that takes no new file: once it does, Set saves the choice the window kept.
    folder, ini = install_saver(s, None)
    os.chmod(folder, 0o555)
    try:
        host = s.start(os.path.join(folder, "Orvalis.scr"), "/c", name="host-readonly-folder")
        dialog = Dialog(s, host)
        dialog.select_row(1)
        dialog.type_track("4")
        check_refused_set_keeps_the_window(s, dialog, ini_windows_path)
        s.check(not os.path.exists(ini), "no settings file was made")
        os.chmod(folder, 0o755)
        dialog.click_rect(CMD_SET)
        dialog.wait_closed()
        s.check(read(ini) == settings_file(b"2", b"4", b""), "the retry saves the kept choice")
    finally:
        os.chmod(folder, 0o755)


if __name__ == "__main__":
    main(globals())
