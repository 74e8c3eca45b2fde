#include "common/bmp_write.h"

#include "common/little_endian.h"

namespace orvalis {

std::vector<uint8_t> Bmp24File(int width, int height, const BmpPixel& pixel, uint32_t pixelsPerMetre) {
    if (width <= 0 || height <= 0) return {};
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.reserve(kBmpHeaderSize + imageBytes);
    out.push_back('B');
    out.push_back('M');
    AppendLe32(out, kBmpHeaderSize + imageBytes);
    AppendLe32(out, 0);
    AppendLe32(out, kBmpHeaderSize);
    AppendLe32(out, 40);
    AppendLe32(out, static_cast<uint32_t>(width));
    AppendLe32(out, static_cast<uint32_t>(height));  // positive: bottom row first
    AppendLe16(out, 1);
    AppendLe16(out, 24);
    AppendLe32(out, 0);  // BI_RGB
    AppendLe32(out, imageBytes);
    AppendLe32(out, pixelsPerMetre);
    AppendLe32(out, pixelsPerMetre);
    AppendLe32(out, 0);
    AppendLe32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixel(x, y);
            out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                   static_cast<uint8_t>(c >> 16)});
        }
        out.resize(out.size() + (rowBytes - static_cast<uint32_t>(width) * 3), 0);
    }
    return out;
}

}  // namespace orvalis
