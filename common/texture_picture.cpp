#include "common/texture_picture.h"

#include <cmath>
#include <numbers>

#include "common/bmp_write.h"

namespace orvalis {
namespace {

constexpr double kCenter = 63.5;
// Full brightness between these radii, easing down to the background 5 pixels either side.
constexpr double kPeakInner = 50.0;
constexpr double kPeakOuter = 51.0;
constexpr double kFade = 5.0;

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
    constexpr uint32_t kPixelsPerMetreAt96Dpi = 3780;
    return Bmp24File(
        kTexturePictureSize, kTexturePictureSize,
        [](int x, int y) { return TexturePictureLevel(x, y) * 0x010101u; }, kPixelsPerMetreAt96Dpi);
}

}  // namespace orvalis
