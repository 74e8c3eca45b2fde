// Lengths given in pixels at 96 dpi, taken to another DPI, and pictures resampled to the sizes that gives.
// Plain arithmetic, so the windows of every program scale the same way and the tests can state the values.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvalis {

// The DPI every design length is given for (15 twips to the pixel).
constexpr int kDesignDpi = 96;

// a * b / c rounded to the nearest integer, halves away from zero, as Win32's MulDiv; -1 when c is 0.
int MulDivRound(int a, int b, int c);

// A 96-dpi length in pixels at `dpi`, and back.
inline int ScaleToDpi(int designPixels, int dpi) {
    return MulDivRound(designPixels, dpi, kDesignDpi);
}
inline int ScaleFromDpi(int pixels, int dpi) {
    return MulDivRound(pixels, kDesignDpi, dpi);
}

// A rectangle given as left, top, width and height at 96 dpi: each of the four scaled on its own, so that
// every control keeps the scaled size of its design size wherever it stands.
template <class R>
R ScaleRectToDpi(const R& r, int dpi) {
    R out = r;
    out.left = ScaleToDpi(r.left, dpi);
    out.top = ScaleToDpi(r.top, dpi);
    out.width = ScaleToDpi(r.width, dpi);
    out.height = ScaleToDpi(r.height, dpi);
    return out;
}

// A picture of width x height pixels (0xRRGGBB, rows top first) brought to another size by averaging the
// area of the source each target pixel covers: shrinking keeps thin lines as softer lines instead of
// dropping them, and the same size gives the same pixels back.
std::vector<uint32_t> ResamplePixels(std::span<const uint32_t> pixels, int width, int height, int toWidth,
                                     int toHeight);

}  // namespace orvalis
