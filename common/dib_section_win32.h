// 32-bit top-down DIB sections: the surfaces and pictures the host draws into and reads back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/handles_win32.h"

namespace orvalis {

// The header of a width x height picture of 32-bit pixels (0x00RRGGBB), rows top first.
inline BITMAPINFO TopDownRgb32Info(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A DIB section of that kind; `bits` gets its pixels, or nullptr when the system refused it.
inline GdiBitmap CreateTopDownRgb32(int width, int height, uint32_t*& bits) {
    const BITMAPINFO info = TopDownRgb32Info(width, height);
    void* pixels = nullptr;
    GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    bits = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
    return bitmap;
}

}  // namespace orvalis
