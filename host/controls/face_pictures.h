// The six face pictures of the push button: a rounded one-pixel frame on a light margin with a coloured
// band inside it. Only the outer 4-pixel band of each is ever drawn; the gradient forms the middle.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/bmp_write.h"
#include "host/controls/face_geometry.h"

namespace orvalis {

enum class FaceImage : uint8_t { Normal, HighLight, Selected, HighLightSelect, Pressed, Disable };
constexpr int kFaceImageCount = 6;

const char* FaceImageName(FaceImage face);

// 64 x 25 pixels as 0xRRGGBB, rows top first.
struct FacePicture {
    std::array<uint32_t, kFaceWidth * kFaceHeight> pixels{};
    uint32_t At(int x, int y) const { return pixels[y * kFaceWidth + x]; }
    uint32_t& At(int x, int y) { return pixels[y * kFaceWidth + x]; }
};

FacePicture BuildFacePicture(FaceImage face);

// A face picture made for `dpi`: ScaleToDpi(64) x ScaleToDpi(25) pixels as 0xRRGGBB, rows top first. Every
// pixel is a whole pixel of the 96-dpi picture, so the frame and its bands stay sharp lines of whole
// pixels (one pixel becomes one or two at 150 %, two at 200 %) instead of blurring.
struct ScaledFacePicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
ScaledFacePicture BuildFacePicture(FaceImage face, int dpi);

// The picture as a 24-bit bottom-up .bmp file: 54-byte header followed by 4800 bytes of pixels.
constexpr int kFaceBmpHeaderSize = static_cast<int>(kBmpHeaderSize);
std::vector<uint8_t> FacePictureBmp(FaceImage face);

}  // namespace orvalis
