"""The push button under Wine with real pointer input: click, cancelled click, no keyboard click, hover exit.

Runs button_host.exe (three buttons laid out like the settings dialog's), which logs clicks, the face each
button's surface shows, and pointer moves over its window to button_host.log.
"""

import os
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from harness import TestFailure, main  # noqa: E402

TITLE = "Orvalis button host"

# The pixel just inside the top frame of each face, as it reaches the screen.
BAND = {"Normal": (0xF3, 0xF3, 0xEE), "HighLight": (0xFF, 0xF0, 0xCF), "Selected": (0xCE, 0xE7, 0xFF),
        "Pressed": (0x00, 0x3C, 0x74), "Disable": (0xF5, 0xF4, 0xEA)}


class Host:
    """button_host.exe and its log."""

    def __init__(self, s):
        self.s = s
        exe = os.path.join(os.path.dirname(s.bin_dir), "tests-bin", "button_host.exe")
        self.log_path = s.output_path("button_host.log")
        self.program = s.start(exe, seconds=240)
        s.wait_for(lambda: "ready" in self.lines(), 60, "button_host to be ready")
        self.window = s.find_window(TITLE, program=self.program)
        self.buttons = {}
        for line in self.lines():
            parts = line.split()
            if parts[0] == "button":
                self.buttons[parts[1]] = tuple(int(v) for v in parts[2:6])
        s.check(len(self.buttons) == 3, "three buttons placed")

    def lines(self):
        try:
            with open(self.log_path, encoding="utf-8") as f:
                return [line.strip() for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def clicks(self, name):
        return sum(1 for line in self.lines() if line.startswith("click %s " % name))

    def face(self, name):
        """The last face logged for a button."""
        faces = [line.split()[2] for line in self.lines() if line.startswith("face %s " % name)]
        return faces[-1] if faces else None

    def wait_face(self, name, face, seconds=10):
        self.s.wait_for(lambda: self.face(name) == face, seconds, "%s to show %s" % (name, face), interval=0.05)

    def centre(self, name):
        x, y, w, h = self.buttons[name]
        return x + w // 2, y + h // 2

    def outside(self):
        """A point on the host window away from every button."""
        x, y, _, _ = self.buttons["Cmd_Can"]
        return x + 60, y + 70

    def no_new_click(self, name, before, seconds=1.0):
        """Gives a click that should not come a bounded chance to arrive."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.clicks(name) != before:
                raise TestFailure("unexpected click of %s" % name)
            time.sleep(0.05)
        return True


def screen_band(shot, host, name):
    x, y, _, _ = host.buttons[name]
    return shot.pixel(x + 20, y + 2)


def test_click_cancel_hover(s):
    host = Host(s)
    s.check(host.face("Cmd_Set") == "Normal" and host.face("Cmd_File") == "Disable",
            "buttons start Normal, the file button Disable")

    # Hover, press, release inside: one click.
    s.move_mouse(*host.centre("Cmd_Set"))
    host.wait_face("Cmd_Set", "HighLight")
    s.mouse_down()
    host.wait_face("Cmd_Set", "Pressed")
    s.screenshot("button-pressed")
    s.mouse_up()
    s.wait_for(lambda: host.clicks("Cmd_Set") == 1, 10, "one click of Cmd_Set")
    host.wait_face("Cmd_Set", "HighLight")  # HighLightSelect: the same picture
    s.check(host.clicks("Cmd_Set") == 1, "press and release on the button: one Click")

    # The focused button ignores Space and Enter.
    s.key(host.window, "space", "Return")
    s.check(host.no_new_click("Cmd_Set", 1), "Space and Enter raise no Click")

    # Press, leave with the button held, release outside: no click.
    s.move_mouse(*host.centre("Cmd_Set"))
    host.wait_face("Cmd_Set", "HighLight")
    s.mouse_down()
    host.wait_face("Cmd_Set", "Pressed")
    s.move_mouse(*host.outside())
    host.wait_face("Cmd_Set", "Selected")
    s.mouse_up()
    s.check(host.no_new_click("Cmd_Set", 1), "release outside after leaving with the button held: no Click")

    # Coming back after the cancelled press highlights again and a new click counts.
    s.click(*host.centre("Cmd_Set"))
    s.wait_for(lambda: host.clicks("Cmd_Set") == 2, 10, "a second click of Cmd_Set")

    # Hover exit is noticed by the 100 ms poll.
    delays = []
    for _ in range(5):
        s.move_mouse(*host.centre("Cmd_Can"))
        host.wait_face("Cmd_Can", "HighLight")
        moves_before = sum(1 for line in host.lines() if line.startswith("parent-move"))
        s.move_mouse(*host.outside())
        host.wait_face("Cmd_Can", "Normal", seconds=5)
        lines = host.lines()
        moves = [float(line.split()[1]) for line in lines if line.startswith("parent-move")]
        s.check(len(moves) > moves_before, "the host saw the pointer arrive beside the buttons")
        left_at = moves[moves_before]
        normal_at = [float(line.split()[3]) for line in lines if line.startswith("face Cmd_Can Normal")][-1]
        delays.append(normal_at - left_at)
    s.log("hover exit delays (ms): %s" % ", ".join("%.0f" % d for d in delays))
    s.check(max(delays) <= 200, "Normal face back within about 100 ms of leaving (max %.0f ms)" % max(delays))

    # The three faces side by side: Set focused (Selected), Cancel under the pointer, file button disabled.
    s.move_mouse(*host.centre("Cmd_Can"))
    host.wait_face("Cmd_Can", "HighLight")
    host.wait_face("Cmd_Set", "Selected")

    def shot_matches():
        shot = s.screenshot("button-faces")
        seen = {n: screen_band(shot, host, n) for n in ("Cmd_Set", "Cmd_Can", "Cmd_File")}
        return seen if seen == {"Cmd_Set": BAND["Selected"], "Cmd_Can": BAND["HighLight"],
                                "Cmd_File": BAND["Disable"]} else None
    s.wait_for(shot_matches, 10, "the screen to show Selected, HighLight and Disable faces", interval=0.3)
    s.check(True, "screenshot %s shows the Selected, HighLight and Disable faces" %
            s.output_path("button-faces.png"))
    s.check(host.clicks("Cmd_Can") == 0 and host.clicks("Cmd_File") == 0, "no stray clicks")

    s.post(TITLE, "WM_CLOSE")
    s.check(host.program.wait(20) == 0, "button_host ends on WM_CLOSE")


def test_disabled_button_ignores_the_mouse(s):
    host = Host(s)
    s.click(*host.centre("Cmd_File"))
    s.click(*host.centre("Cmd_File"), button=3)
    s.check(host.no_new_click("Cmd_File", 0), "a disabled button raises no Click")
    s.check(host.face("Cmd_File") == "Disable", "and keeps its Disable face")
    shot = s.screenshot("button-disabled")
    s.check(screen_band(shot, host, "Cmd_File") == BAND["Disable"], "Disable face on screen")


if __name__ == "__main__":
    sys.exit(main(globals()))
