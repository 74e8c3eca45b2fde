"""Checks the end-to-end harness itself against a program every Wine prefix has (its notepad)."""

import os
import sys

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from harness import main  # noqa: E402

TITLE = "Untitled - Notepad"


def test_find_type_close(s):
    notepad = s.start("notepad.exe")
    window = s.find_window(TITLE, program=notepad)
    info = s.wait_for(lambda: s.win_info(TITLE), 20, "wininfo to see notepad")
    s.check(info["visible"] == 1 and info["client"][0] > 0, "wininfo reports a visible window with a client area")
    s.check(info["pid"] > 0 and info["class"] != "", "wininfo reports the owner and class")
    shot = s.screenshot("notepad")
    s.check(shot.width == 1024 and shot.height == 768, "screenshot covers the 1024x768 screen")
    s.key(window, "x", "y", "z")
    s.check(s.post(TITLE, "WM_CLOSE"), "WM_CLOSE posted to notepad")
    # Typed text makes notepad ask whether to save: real input reached it.
    s.wait_for(lambda: s.x_windows("Notepad"), 20, "notepad's save question")
    s.check(notepad.alive(), "notepad waits for the answer")
    s.key(s.x_windows("Notepad")[0], "alt+n")
    s.check(notepad.wait(20) == 0, "notepad ends after Don't Save")
    s.check(s.wait_window_gone(TITLE, 10), "no notepad window left")


if __name__ == "__main__":
    sys.exit(main(globals()))
