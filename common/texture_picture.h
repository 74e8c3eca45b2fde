// The particle texture the saver hands to the renderer: a soft grey ring on a near-black square,
// saved as a 24-bit bottom-up Windows bitmap.
#pragma once

#include <cstdint>
#include <vector>

namespace orvalis {

constexpr int kTexturePictureSize = 128;
constexpr uint8_t kTextureBackground = 4;

// Grey level of the ring picture at pixel (x, y), rows counted from the top.
uint8_t TexturePictureLevel(int x, int y);

// The complete .bmp file: 14-byte file header, 40-byte information header, 128 rows of 384 bytes.
std::vector<uint8_t> TexturePictureBmp();

}  // namespace orvalis
