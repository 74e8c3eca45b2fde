"""The settings window, its buttons and the preview at 100, 125, 150 and 200 % (LogPixels 96 to 192): the
layout scaled from its 96-dpi design, the button faces drawn for the DPI, the preview picture at its size.
NOTE: Wine does not stretch windows that are not DPI aware, so these tests see the scaled layout, not the
blurred bitmap a system that stretches would show instead of it."""

import os
import subprocess
import sys

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
import dialog_support  # noqa: E402
from harness import main  # noqa: E402
from pictures import CONVERT  # noqa: E402


def scaled(value, dpi):
    """MulDiv(value, dpi, 96): halves rounded away from zero."""
    return (value * dpi + 48) // 96


def scaled_rect(rect, dpi):
    return tuple(scaled(v, dpi) for v in rect)


def client_rect(info, child, origin):
    left, top, right, bottom = child["rect"]
    return left - origin[0], top - origin[1], right - left, bottom - top


def open_at(s, dpi, name):
    s.set_log_pixels(dpi)
    dialog, _ = dialog_support.open_dialog(s, dialog_support.settings_file(b"1", b"7", b""), name=name)
    return dialog


def close(s, dialog, dpi):
    dialog.click_rect(scaled_rect(dialog_support.CMD_CAN, dpi))
    dialog.wait_closed()


def crop_client(s, image, dialog, size, name, shrink=None):
    """The client area of a window shot as a softened PNG (optionally shrunk first) for comparing layouts."""
    out = s.output_path(name + ".png")
    args = [CONVERT, image.path, "-crop", "%dx%d+%d+%d" % (size + dialog.origin), "+repage"]
    if shrink:
        args += ["-filter", "Box", "-resize", "%dx%d!" % shrink]
    subprocess.run(args + ["-blur", "0x2", out], check=True, timeout=60)
    return out


def mean_difference(a, b):
    """Mean absolute difference of two pictures of one size, 0..1."""
    run = subprocess.run(["compare", "-metric", "MAE", a, b, "null:"], capture_output=True, text=True, timeout=60)
    return float(run.stderr.split("(")[1].rstrip(")"))


def test_settings_window_at_each_dpi(s):
    shots = {}
    measured = []
    try:
        for dpi in (96, 120, 144, 192):
            dialog = open_at(s, dpi, "host-%d" % dpi)
            info = s.win_info(dialog_support.TITLE, children=True)
            width, height = info["client"]
            measured.append("%d dpi: %d x %d" % (dpi, width, height))
            s.check(abs(width - round(496 * dpi / 96)) <= 1 and abs(height - round(243 * dpi / 96)) <= 1,
                    "at %d dpi the client area is 496 x 243 scaled (%d x %d)" % (dpi, width, height))
            by_class = {}
            for c in info["children"]:
                by_class.setdefault(c["class"].lower(), []).append(client_rect(info, c, dialog.origin))
            panel = scaled_rect(dialog_support.PANEL, dpi)
            file_button = dialog_support.CMD_FILE
            expected_buttons = sorted([scaled_rect(dialog_support.CMD_SET, dpi),
                                       scaled_rect(dialog_support.CMD_CAN, dpi),
                                       (panel[0] + scaled(file_button[0], dpi), panel[1] + scaled(file_button[1], dpi),
                                        scaled(file_button[2], dpi), scaled(file_button[3], dpi))])
            s.check(by_class.get("veyra.panel") == [panel], "at %d dpi the panel is %s (%s)"
                    % (dpi, panel, by_class.get("veyra.panel")))
            s.check(sorted(by_class.get("veyra.command", [])) == expected_buttons,
                    "at %d dpi the buttons are %s (%s)" % (dpi, expected_buttons, by_class.get("veyra.command")))
            box = by_class.get("combobox", [None])[0]
            want = scaled_rect(dialog_support.REPEAT_BOX, dpi)
            s.check(box is not None and box[:3] == (panel[0] + want[0], panel[1] + want[1], want[2])
                    and abs(box[3] - want[3]) <= 1,
                    "at %d dpi the track box stands at %s in the panel (%s)" % (dpi, want, box))
            s.log("track box at %d dpi: %s" % (dpi, box))
            image = dialog.shot("window-%d" % dpi)
            shots[dpi] = (image, dialog)
            close(s, dialog, dpi)
    finally:
        s.set_log_pixels(96)
    s.log("client areas: " + ", ".join(measured))

    # The 200 % window shrunk by half lays out as the 100 % one: softened, the two pictures differ little;
    # the 200 % window's top-left quarter, not shrunk, differs much more.
    small = crop_client(s, *shots[96], (496, 243), "client-96")
    halved = crop_client(s, *shots[192], (992, 486), "client-192-halved", shrink=(496, 243))
    quarter = crop_client(s, *shots[192], (496, 243), "client-192-quarter")
    same_layout = mean_difference(small, halved)
    other_layout = mean_difference(small, quarter)
    s.log("softened difference 96 against 192 halved: %.4f; against its top-left quarter: %.4f"
          % (same_layout, other_layout))
    s.check(same_layout < 0.03, "the 192-dpi window shrunk by half matches the 96-dpi one (%.4f)" % same_layout)
    s.check(other_layout > 3 * same_layout, "and the comparison tells another layout apart (%.4f)" % other_layout)
    subprocess.run([CONVERT, shots[144][0].path, "-bordercolor", "black", "-border", "1", "-fuzz", "2%", "-trim",
                    "+repage", s.output_path("settings-dialog-150.png")], check=True, timeout=60)


def test_button_face_at_144_dpi(s):
    dpi = 144
    try:
        dialog = open_at(s, dpi, "host")
        # The pointer away from every button: the Cancel button shows its Normal face.
        s.move_mouse(*dialog.at(5, 5))
        image = s.wait_for(lambda: dialog.shot("buttons-144"), 10, "a shot")
        left, top, width, height = scaled_rect(dialog_support.CMD_CAN, dpi)
        s.check((width, height) == (116, 38), "Cancel is 116 x 38 at 150 %")
        x = left + 10  # left of the caption
        column = [dialog.client_pixel(image, x, top + y) for y in range(height)]

        def near(got, want, tolerance=3):
            return all(abs(a - b) <= tolerance for a, b in zip(got, want))

        # The face picture made for 150 %: margin rows 0-1, the frame in row 2, the top band rows 3-4; at the
        # bottom the bands in rows 32-34, the frame in row 35, the margin in rows 36-37.
        rows = {0: (0xE0, 0xDC, 0xC9), 2: (0x00, 0x3C, 0x74), 3: (0xF3, 0xF3, 0xEE), 32: (0xE2, 0xDF, 0xD6),
                34: (0xD6, 0xD0, 0xC5), 35: (0x00, 0x3C, 0x74), 37: (0xF8, 0xF7, 0xF0)}
        for y, want in rows.items():
            s.check(near(column[y], want), "row %d of the face is %s (%s)" % (y, want, column[y]))
        # Between the 6-pixel bands the gradient runs from white (row 0) to the tint (row 37).
        for y in (6, 18, 31):
            want = tuple(round(255 + (t - 255) * y / 37) for t in (198, 197, 215))
            s.check(near(column[y], want, 2), "gradient row %d is %s (%s)" % (y, want, column[y]))
        s.check(column[5] != column[6] or near(column[5], (0xFD, 0xFD, 0xFC), 8),
                "the band ends where the scaled corner does")
        close(s, dialog, dpi)
    finally:
        s.set_log_pixels(96)


def size_of(info):
    left, top, right, bottom = info["window"]
    return right - left, bottom - top


def box_size(s, dpi):
    """The size of the message box the host shows when its renderer is missing."""
    folder = s.prefix_path("C:\\Lone")
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["cp", s.bin_path("Orvalis.scr"), folder], check=True, timeout=30)
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/c", name="box-%d" % dpi)
    s.find_window(dialog_support.BOX_CAPTION, program=host)
    info = s.wait_for(lambda: s.win_info(dialog_support.BOX_CAPTION, children=True), 10, "the box's details")
    button = [c for c in info["children"] if c["class"].lower() == "button" and c["visible"]][0]
    s.screenshot("box-%d" % dpi)
    s.click_child(dialog_support.BOX_CAPTION, button["text"])
    s.check(host.wait(10) == 0, "the box's host ends")
    return size_of(info)


def file_dialog_size(s, dpi):
    # The file row is kept only with a file that is there.
    with open(s.prefix_path("C:\\start.wav"), "wb") as f:
        f.write(b"RIFF")
    dialog, _ = dialog_support.open_dialog(s, dialog_support.settings_file(b"2", b"0", b"C:\\start.wav"),
                                        name="chooser-%d" % dpi)
    panel = scaled_rect(dialog_support.PANEL, dpi)
    left, top, width, height = scaled_rect(dialog_support.CMD_FILE, dpi)
    dialog.click(panel[0] + left + width // 2, panel[1] + top + height // 2)
    x_id = s.find_window(dialog_support.FILE_DIALOG, seconds=30)
    # Its title is not ASCII: its size comes from the X server.
    size = s.wait_for(lambda: s.window_geometry(x_id)[2:], 10, "the file dialog's size")
    s.screenshot("file-dialog-%d" % dpi)
    dialog_support.cancel_file_dialog(s)
    close(s, dialog, dpi)
    return size


def test_boxes_and_the_file_dialog_follow_the_dpi(s):
    # The message box and the file dialog belong to the host's per-monitor aware process: they lay
    # themselves out at 150 % as well, about half as large again as at 100 %.
    sizes = {}
    try:
        for dpi in (96, 144):
            s.set_log_pixels(dpi)
            sizes[dpi] = (box_size(s, dpi), file_dialog_size(s, dpi))
    finally:
        s.set_log_pixels(96)
    s.log("message box and file dialog at 96 dpi: %s, at 144 dpi: %s" % (sizes[96], sizes[144]))
    for what, small, large in (("the message box", sizes[96][0], sizes[144][0]),
                               ("the file dialog", sizes[96][1], sizes[144][1])):
        ratios = [b / a for a, b in zip(small, large)]
        s.check(all(1.25 <= r <= 1.7 for r in ratios), "%s grows with the DPI (%s to %s)" % (what, small, large))


def test_preview_in_process_at_144_and_192_dpi(s):
    program = os.path.join(os.path.dirname(s.bin_dir), "tests-bin", "host_preview_win32_tests.exe")
    try:
        for dpi, size in ((144, "228 x 168"), (192, "304 x 224")):
            s.set_log_pixels(dpi)
            env = dict(s.env, ORVALIS_EXPECT_DPI=str(dpi), ORVALIS_TEST_OUTPUT=s.output)
            run = s.start(program, "--gtest_filter=PreviewWindow.PictureTakesTheSizeOfTheAreasDpi", env=env,
                          name="preview-%d" % dpi)
            code = run.wait(60)
            out = run.stdout()
            s.log(out)
            s.check(code == 0 and "preview at %d dpi: %s" % (dpi, size) in out,
                    "at %d dpi the preview picture covers %s (exit %s)" % (dpi, size, code))
    finally:
        s.set_log_pixels(96)


if __name__ == "__main__":
    sys.exit(main(globals()))
