#!/usr/bin/env python3
"""Frame 200 of the cloud at 1024 x 768 on both platforms: drawn by the renderer's real Windows shell under
Wine (frame_dump) and by the Linux program (orvalis --frames 200 --save), both on Mesa's software renderer.
They must agree within 2 levels in at least 99.9 % of the pixels, and both must show the cloud.
  frame_compare.py FRAME_DUMP_EXE LINUX_PROGRAM
The Windows program runs through scripts/lib/wine-exec in the session named by ORVALIS_WINE_DIR."""
import os
import subprocess
import sys

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from pictures import cloud_on_screen, read_picture  # noqa: E402
from processes import TestFailure, check  # noqa: E402
from x11_support import OUTPUT_DIR, SOURCE_DIR, Xvfb  # noqa: E402

FRAMES = 200
TOLERANCE = 2
REQUIRED_SHARE = 0.999


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def compare(a, b):
    """Share of pixels whose channels all differ by at most TOLERANCE, and the largest difference."""
    check((a.width, a.height) == (b.width, b.height), f"sizes differ: {a.width}x{a.height} and {b.width}x{b.height}")
    close = 0
    worst = 0
    ra, rb = a.rgb, b.rgb
    for i in range(0, len(ra), 3):
        d = max(abs(ra[i] - rb[i]), abs(ra[i + 1] - rb[i + 1]), abs(ra[i + 2] - rb[i + 2]))
        if d <= TOLERANCE:
            close += 1
        if d > worst:
            worst = d
    return close / (a.width * a.height), worst


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    frame_dump, linux_program = sys.argv[1], sys.argv[2]
    if not os.access(linux_program, os.X_OK):
        print(f"FAIL: the Linux program {linux_program} is not built (build the native tree first)", file=sys.stderr)
        return 1
    OUTPUT_DIR.mkdir(parents=True, exist_ok=True)
    win_ppm = OUTPUT_DIR / f"frame{FRAMES}-windows.ppm"
    linux_ppm = OUTPUT_DIR / f"frame{FRAMES}-linux.ppm"
    for stale in (win_ppm, linux_ppm):
        stale.unlink(missing_ok=True)
    try:
        subprocess.run([str(SOURCE_DIR / "scripts/lib/wine-exec"), frame_dump, windows_path(win_ppm), str(FRAMES)],
                       check=True, timeout=170)
        with Xvfb() as xvfb:
            subprocess.run([linux_program, "--frames", str(FRAMES), "--save", str(linux_ppm)], env=xvfb.env(),
                           check=True, timeout=60)
        windows, linux = read_picture(win_ppm), read_picture(linux_ppm)
        for name, picture in (("Windows", windows), ("Linux", linux)):
            lit = picture.lit_share()
            print(f"{name} frame {FRAMES}: {picture.width} x {picture.height}, lit share {lit:.4f}")
            check(cloud_on_screen(picture), f"the {name} frame shows the cloud (lit share {lit:.4f})")
        share, worst = compare(windows, linux)
        print(f"pixels within {TOLERANCE} levels: {share * 100:.4f} % (largest difference {worst})")
        if share < REQUIRED_SHARE:
            subprocess.run(["compare", "-metric", "AE", "-fuzz", "1%", str(win_ppm), str(linux_ppm),
                            str(OUTPUT_DIR / f"frame{FRAMES}-difference.png")], capture_output=True)
        check(share >= REQUIRED_SHARE, f"only {share * 100:.4f} % of the pixels agree (at least "
                                       f"{REQUIRED_SHARE * 100:.1f} % must); pictures in {OUTPUT_DIR}")
    except (TestFailure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
