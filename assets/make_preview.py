#!/usr/bin/env python3
"""Makes the host's preview picture, preview.bmp (152 x 112, 24-bit), from a full-screen frame of the
running renderer (preview_source.png: a 1024 x 768 screenshot of Orvalis.dll under Wine).

The frame is scaled to the preview's width keeping its proportions (152 x 114), the middle 112 rows kept,
and brightened a little so the thin streaks stay visible at this size. Needs ImageMagick's convert.

    python3 assets/make_preview.py assets/preview_source.png assets/preview.bmp
"""

import subprocess
import sys

WIDTH, HEIGHT = 152, 112


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else "preview_source.png"
    out = sys.argv[2] if len(sys.argv) > 2 else "preview.bmp"
    subprocess.run(["convert", source, "-filter", "Triangle", "-resize", "%dx%d" % (WIDTH, HEIGHT + 2),
                    "-gravity", "center", "-crop", "%dx%d+0+0" % (WIDTH, HEIGHT), "+repage",
                    "-level", "0%,85%", "-type", "TrueColor", "-define", "bmp:format=bmp3",
                    "-compress", "None", "BMP3:" + out], check=True)


if __name__ == "__main__":
    main()
