#!/usr/bin/env python3
"""Makes the host's preview pictures from a full-screen frame of the running renderer (preview_source.png:
a 1024 x 768 screenshot of Orvalis.dll under Wine): preview.bmp, 152 x 112 for 96 dpi, and
preview_large.bmp, 304 x 224 for 200 % (both 24-bit).

Each is the frame scaled to the picture's width keeping its proportions (152 x 114, 304 x 228), the middle
rows kept, and brightened a little so the thin streaks stay visible at this size. Needs ImageMagick's
convert.

    python3 assets/make_preview.py assets/preview_source.png assets/preview.bmp
    python3 assets/make_preview.py assets/preview_source.png assets/preview_large.bmp 2
"""

import subprocess
import sys

WIDTH, HEIGHT = 152, 112


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else "preview_source.png"
    out = sys.argv[2] if len(sys.argv) > 2 else "preview.bmp"
    scale = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    width, height = WIDTH * scale, HEIGHT * scale
    subprocess.run(["convert", source, "-filter", "Triangle", "-resize", "%dx%d" % (width, height + 2 * scale),
                    "-gravity", "center", "-crop", "%dx%d+0+0" % (width, height), "+repage",
                    "-level", "0%,85%", "-type", "TrueColor", "-define", "bmp:format=bmp3",
                    "-compress", "None", "BMP3:" + out], check=True)


if __name__ == "__main__":
    main()
