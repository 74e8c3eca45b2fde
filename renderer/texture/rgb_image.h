// Decoded texture pixels: red, green, blue bytes, rows tightly packed, bottom row first.
#pragma once

#include <cstdint>

namespace orvalis {

// Allocated with malloc by the bitmap reader; the caller frees data, then the record, with free.
struct RgbImage {
    int32_t width;
    int32_t height;
    uint8_t* data;
};

void FreeRgbImage(RgbImage* image);

}  // namespace orvalis
