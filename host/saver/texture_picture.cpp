#include "host/saver/texture_picture.h"

#include <cmath>
#include <numbers>

namespace orvalis {
namespace {

constexpr double kCenter = 63.5;
// Full brightness between these radii, easing down to the background 5 pixels either side.
constexpr double kPeakInner = 50.0;
constexpr double kPeakOuter = 51.0;
constexpr double kFade = 5.0;

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

}  // namespace

uint8_t TexturePictureLevel(int x, int y) {
    const double r = std::hypot(x - kCenter, y - kCenter);
    double distance = 0.0;  // from the bright band
    if (r < kPeakInner) distance = kPeakInner - r;
    if (r > kPeakOuter) distance = r - kPeakOuter;
    if (distance >= kFade) return kTextureBackground;
    // Raised cosine: smooth at both the peak and the background.
    const double weight = 0.5 * (1.0 + std::cos(std::numbers::pi * distance / kFade));
    const double level = kTextureBackground + (255.0 - kTextureBackground) * weight;
    return static_cast<uint8_t>(std::lround(level));
}

std::vector<uint8_t> TexturePictureBmp() {
    constexpr uint32_t kRowBytes = kTexturePictureSize * 3;  // already a multiple of 4
    constexpr uint32_t kImageBytes = kRowBytes * kTexturePictureSize;
    constexpr uint32_t kOffset = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(kOffset + kImageBytes);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, kOffset + kImageBytes);
    PutLe32(out, 0);
    PutLe32(out, kOffset);
    PutLe32(out, 40);
    PutLe32(out, kTexturePictureSize);
    PutLe32(out, kTexturePictureSize);  // positive: bottom row first
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);  // BI_RGB
    PutLe32(out, kImageBytes);
    PutLe32(out, 3780);  // 96 dpi in pixels per metre
    PutLe32(out, 3780);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int row = kTexturePictureSize - 1; row >= 0; --row) {
        for (int x = 0; x < kTexturePictureSize; ++x) {
            const uint8_t level = TexturePictureLevel(x, row);
            out.insert(out.end(), {level, level, level});
        }
    }
    return out;
}

}  // namespace orvalis
