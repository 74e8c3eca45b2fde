#include "common/dpi_scale.h"

#include <algorithm>
#include <cmath>

namespace orvalis {

int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude =
        (std::llabs(product) + std::llabs(static_cast<int64_t>(c)) / 2) / std::llabs(static_cast<int64_t>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

namespace {

// How much of source cell i (of `from`) lies inside target cell j (of `to`), both spanning one length.
double Overlap(int i, int j, int from, int to) {
    const double lo = std::max(static_cast<double>(i) * to, static_cast<double>(j) * from);
    const double hi = std::min(static_cast<double>(i + 1) * to, static_cast<double>(j + 1) * from);
    return std::max(0.0, hi - lo);
}

}  // namespace

std::vector<uint32_t> ResamplePixels(std::span<const uint32_t> pixels, int width, int height, int toWidth,
                                     int toHeight) {
    if (width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0 ||
        pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    std::vector<uint32_t> out(static_cast<size_t>(toWidth) * static_cast<size_t>(toHeight));
    for (int ty = 0; ty < toHeight; ++ty) {
        // The source rows under target row ty: [ty * height / toHeight, (ty + 1) * height / toHeight).
        const int y0 = ty * height / toHeight;
        const int y1 = std::min(height, ((ty + 1) * height + toHeight - 1) / toHeight);
        for (int tx = 0; tx < toWidth; ++tx) {
            const int x0 = tx * width / toWidth;
            const int x1 = std::min(width, ((tx + 1) * width + toWidth - 1) / toWidth);
            double sum[3] = {0, 0, 0};
            double total = 0;
            for (int y = y0; y < y1; ++y) {
                const double wy = Overlap(y, ty, height, toHeight);
                for (int x = x0; x < x1; ++x) {
                    const double w = wy * Overlap(x, tx, width, toWidth);
                    const uint32_t c = pixels[static_cast<size_t>(y) * width + x];
                    sum[0] += w * ((c >> 16) & 0xFF);
                    sum[1] += w * ((c >> 8) & 0xFF);
                    sum[2] += w * (c & 0xFF);
                    total += w;
                }
            }
            uint32_t c = 0;
            for (const double channel : sum) c = c << 8 | static_cast<uint32_t>(std::lround(channel / total));
            out[static_cast<size_t>(ty) * toWidth + tx] = c;
        }
    }
    return out;
}

}  // namespace orvalis
