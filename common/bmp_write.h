// One writer for the 24-bit Windows bitmaps the programs make: the ring picture the host hands to the
// renderer and the button's face pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace orvalis {

constexpr uint32_t kBmpHeaderSize = 14 + 40;  // file header and BITMAPINFOHEADER

// The pixel at (x, y), rows counted from the top, as 0xRRGGBB.
using BmpPixel = std::function<uint32_t(int x, int y)>;

// The complete file: an uncompressed (BI_RGB) bottom-up bitmap of width x height pixels, rows padded to four
// bytes, `pixelsPerMetre` in both resolution fields, no colour table. Empty for a size below one pixel.
std::vector<uint8_t> Bmp24File(int width, int height, const BmpPixel& pixel, uint32_t pixelsPerMetre = 0);

}  // namespace orvalis
