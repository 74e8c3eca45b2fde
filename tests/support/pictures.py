"""Pictures for the tests: 8-bit binary PPM reading, pixel statistics and the one "the cloud is on screen" check.

A pixel is lit when its brightest channel exceeds LIT_LEVEL; the cloud is on screen when more than CLOUD_SHARE of
the pixels looked at are lit. Every test that asks whether the moving cloud shows uses `cloud_on_screen`, so the
Windows renderer, the Linux program and the packaged programs are held to the same measure.
Python 3 standard library only; other formats are converted by ImageMagick's convert.
"""

import os
import subprocess

from processes import TestFailure

# The real ImageMagick convert (pixels come from it; any other convert on PATH is not trusted).
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"

LIT_LEVEL = 24  # a pixel is lit when its brightest channel is above this level (of 255)
CLOUD_SHARE = 0.03  # the cloud is on screen when more than this share of the pixels is lit


def ppm_pixels(raw):
    """(width, height, RGB bytes with rows top first) of an 8-bit binary PPM (P6), comments allowed."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while raw[pos:pos + 1].isspace():
            pos += 1
        if raw[pos:pos + 1] == b"#":
            pos = raw.index(b"\n", pos) + 1
            continue
        start = pos
        while pos < len(raw) and not raw[pos:pos + 1].isspace():
            pos += 1
        fields.append(raw[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise TestFailure("not an 8-bit binary PPM: %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    data = raw[pos + 1:pos + 1 + width * height * 3]
    if len(data) != width * height * 3:
        raise TestFailure("the PPM is shorter than its %dx%d pixels" % (width, height))
    return width, height, data


class Picture:
    """An RGB picture: `width`, `height`, `data` (3 bytes per pixel, rows top first), `path` when it has a file."""

    def __init__(self, width, height, data, path=None):
        self.width, self.height, self.data, self.path = width, height, data, path

    @property
    def rgb(self):
        return self.data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def data_pixels(self):
        """Every pixel, as a list of (r, g, b), rows top first."""
        return self.region(0, 0, self.width, self.height)

    def region(self, left, top, width, height):
        """Pixels of a rectangle, as a list of (r, g, b)."""
        out = []
        for y in range(max(0, top), min(self.height, top + height)):
            row = self.data[(y * self.width + max(0, left)) * 3:(y * self.width + min(self.width, left + width)) * 3]
            out.extend(tuple(row[i:i + 3]) for i in range(0, len(row), 3))
        return out

    def lit_mask(self, x0=0, y0=0, x1=None, y1=None, level=LIT_LEVEL):
        """1 per pixel of the rectangle (right and bottom exclusive) whose brightest channel is above `level`,
        row by row."""
        x1 = self.width if x1 is None else min(x1, self.width)
        y1 = self.height if y1 is None else min(y1, self.height)
        table = bytes(1 if b > level else 0 for b in range(256))
        mask = bytearray()
        for y in range(max(y0, 0), y1):
            row = self.data[(y * self.width + x0) * 3:(y * self.width + x1) * 3].translate(table)
            mask += bytes(row[i] | row[i + 1] | row[i + 2] for i in range(0, len(row), 3))
        return mask

    def lit_share(self, *rect, level=LIT_LEVEL):
        """Share of lit pixels in the rectangle (x0, y0, x1, y1), the whole picture without one."""
        mask = self.lit_mask(*rect, level=level)
        return sum(mask) / max(len(mask), 1)

    def lit_outside(self, x0, y0, x1, y1, level=LIT_LEVEL):
        """Lit pixels outside the rectangle."""
        return sum(self.lit_mask(level=level)) - sum(self.lit_mask(x0, y0, x1, y1, level=level))


def parse_ppm(raw, path=None):
    return Picture(*ppm_pixels(raw), path=path)


def read_picture(path, sample=100):
    """Any picture ImageMagick reads, as 8-bit RGB; `sample` < 100 reads a point-sampled smaller copy (faster to
    analyse, same colours)."""
    resize = ["-sample", "%d%%" % sample] if sample != 100 else []
    raw = subprocess.run([CONVERT, str(path), *resize, "-depth", "8", "ppm:-"], check=True, capture_output=True,
                         timeout=60).stdout
    return parse_ppm(raw, path)


def lit_share(pixels, level=LIT_LEVEL):
    """Share of (r, g, b) pixels whose brightest channel exceeds `level`."""
    if not pixels:
        return 0.0
    return sum(1 for p in pixels if max(p) > level) / len(pixels)


def cloud_on_screen(pixels, *rect):
    """The one check that the cloud shows: more than CLOUD_SHARE of the pixels are lit. `pixels` is a list of
    (r, g, b) or a Picture, of which the rectangle (x0, y0, x1, y1) is looked at when given."""
    share = pixels.lit_share(*rect) if isinstance(pixels, Picture) else lit_share(pixels)
    return share > CLOUD_SHARE


def hue_buckets(pixels, threshold=48, buckets=12, min_share=0.002):
    """Hue sectors (of `buckets`) that hold at least `min_share` of the saturated, lit pixels."""
    counts = [0] * buckets
    total = 0
    for r, g, b in pixels:
        hi, lo = max(r, g, b), min(r, g, b)
        if hi <= threshold or hi - lo < 24:
            continue
        d = hi - lo
        if hi == r:
            h = ((g - b) / d) % 6
        elif hi == g:
            h = (b - r) / d + 2
        else:
            h = (r - g) / d + 4
        counts[int(h / 6 * buckets) % buckets] += 1
        total += 1
    if total == 0:
        return set()
    return {i for i, c in enumerate(counts) if c / total >= min_share}


def changed_share(a, b, threshold=24):
    """Share of positions where two equally long pixel lists differ by more than `threshold` in a channel."""
    if not a or len(a) != len(b):
        return 0.0
    changed = sum(1 for p, q in zip(a, b) if max(abs(p[i] - q[i]) for i in range(3)) > threshold)
    return changed / len(a)
