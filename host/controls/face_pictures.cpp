#include "host/controls/face_pictures.h"

#include <algorithm>
#include <cmath>

#include "common/bmp_write.h"
#include "common/dpi_scale.h"

namespace orvalis {

namespace {

// The dialog face colour around the buttons; the rounded corners fade into it.
constexpr uint32_t kOutside = 0xECE9D8;
constexpr uint32_t kBlueFrame = 0x003C74;

uint32_t Lerp(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        double ca = (a >> shift) & 0xFF;
        double cb = (b >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

uint32_t Mix(uint32_t a, uint32_t b) {
    return Lerp(a, b, 0.5);
}

// A band colour that runs from `top` at the first row inside the frame to `bottom` at the last.
struct Fade {
    uint32_t top;
    uint32_t bottom;
};

Fade Flat(uint32_t c) {
    return {c, c};
}

enum Side { kTop, kBottom, kLeft, kRight };

struct FaceStyle {
    int frameRing = 1;  // 1: frame one pixel in; 2: shrunk by a pixel (the pressed look)
    uint32_t margin[4] = {0xE0DCC9, 0xF8F7F0, 0xE2DECB, 0xF0EEE0};
    uint32_t frame = kBlueFrame;
    int bandWidth = 2;
    Fade band[4][2] = {};  // per side; [0] next to the frame, [1] the row or column inside it
    uint32_t interior = 0xFFFFFF;
    bool greyCorners = false;
};

FaceStyle StyleOf(FaceImage face) {
    FaceStyle s;
    switch (face) {
        case FaceImage::Normal:
            s.band[kTop][0] = s.band[kTop][1] = Flat(0xF3F3EE);
            s.band[kLeft][0] = s.band[kLeft][1] = {0xFDFDFC, 0xECEBE6};
            s.band[kRight][0] = {0xF6F4F2, 0xE0DDD4};
            s.band[kRight][1] = {0xFBFBFA, 0xE4E2DA};
            s.band[kBottom][0] = Flat(0xD6D0C5);
            s.band[kBottom][1] = Flat(0xE2DFD6);
            break;
        case FaceImage::HighLight:
        case FaceImage::HighLightSelect:
            s.band[kTop][0] = Flat(0xFFF0CF);
            s.band[kTop][1] = Flat(0xFDD889);
            s.band[kLeft][0] = s.band[kRight][0] = {0xFEDF9A, 0xF9B435};
            s.band[kLeft][1] = s.band[kRight][1] = {0xFCD279, 0xF8B535};
            s.band[kBottom][0] = Flat(0xE59700);
            s.band[kBottom][1] = Flat(0xF8B330);
            break;
        case FaceImage::Selected:
            s.band[kTop][0] = s.band[kTop][1] = Flat(0xCEE7FF);
            s.band[kLeft][0] = s.band[kLeft][1] = {0xB7D0F4, 0x8BADE4};
            s.band[kRight][0] = s.band[kRight][1] = {0xB1CCF2, 0x8BAFE5};
            s.band[kBottom][0] = s.band[kBottom][1] = Flat(0x6982EE);
            break;
        case FaceImage::Pressed:
            s.frameRing = 2;
            s.bandWidth = 1;
            s.band[kTop][0] = Flat(0xD1CCC1);
            s.band[kLeft][0] = Flat(0xD8D5CC);
            s.band[kRight][0] = Flat(0xE4E3DC);
            s.band[kBottom][0] = Flat(0xF2F1EE);
            s.interior = 0xF5F4F0;
            break;
        case FaceImage::Disable:
            for (uint32_t& m : s.margin) m = kOutside;
            s.frame = 0xC9C7BA;
            for (auto& side : s.band) side[0] = side[1] = Flat(0xF5F4EA);
            s.interior = 0xF5F4EA;
            s.greyCorners = true;
            break;
    }
    return s;
}

// Band colour of ring k (0 next to the frame) on one side at picture row y.
uint32_t BandAt(const FaceStyle& s, Side side, int k, int y) {
    if (k >= s.bandWidth) return s.interior;
    const Fade& f = s.band[side][k];
    // Side bands fade over the rows between the corners, the part of them that is drawn.
    const int first = kFaceBorder;
    const int last = kFaceHeight - 1 - kFaceBorder;
    double t = std::clamp(static_cast<double>(y - first) / (last - first), 0.0, 1.0);
    return Lerp(f.top, f.bottom, t);
}

// Colour of a pixel on the straight parts of the picture (corners are drawn afterwards).
uint32_t StraightPixel(const FaceStyle& s, int x, int y) {
    const int distance[4] = {y, kFaceHeight - 1 - y, x, kFaceWidth - 1 - x};
    Side side = kTop;
    for (int i = 1; i < 4; ++i)
        if (distance[i] < distance[side]) side = static_cast<Side>(i);
    const int ring = distance[side];
    if (ring < s.frameRing) return (s.frameRing == 2 && ring == 0) ? kOutside : s.margin[side];
    if (ring == s.frameRing) return s.frame;
    return BandAt(s, side, ring - s.frameRing - 1, y);
}

// The top-left corner of the normal face as drawn by hand; the other corners follow its blend pattern.
constexpr uint32_t kNormalTopLeft[4][4] = {
    {0xE9E7D5, 0xE4DFCE, 0xE1DDCA, 0xE0DCC9},
    {0xE4DFCE, 0xE6E1D0, 0x7A95A8, 0x255783},
    {0xE2DECB, 0x7A95A8, 0x557DA2, 0xC0CFDD},
    {0xE2DECB, 0x255783, 0xBFCEDC, 0xFEFEFE},
};

// One 4 x 4 corner. (dx, dy) count from the outer edges of the picture towards its middle.
void DrawCorner(const FaceStyle& s, FacePicture& p, Side horizontal, Side vertical) {
    const int shift = s.frameRing - 1;
    const uint32_t marginH = s.margin[horizontal];
    const uint32_t marginV = s.margin[vertical];
    const uint32_t marginBoth = Mix(marginH, marginV);
    for (int cy = 0; cy < kFaceBorder; ++cy) {
        for (int cx = 0; cx < kFaceBorder; ++cx) {
            const int x = vertical == kLeft ? cx : kFaceWidth - 1 - cx;
            const int y = horizontal == kTop ? cy : kFaceHeight - 1 - cy;
            if (cx < shift || cy < shift) {
                p.At(x, y) = kOutside;
                continue;
            }
            const int dx = cx - shift;
            const int dy = cy - shift;
            // Cells above the diagonal lie along the top or bottom edge, those below along a side.
            const bool alongH = dy < dx;
            const uint32_t margin = dx == dy ? marginBoth : (alongH ? marginH : marginV);
            auto band = [&](int k) {
                uint32_t h = BandAt(s, horizontal, k, y);
                uint32_t v = BandAt(s, vertical, k, y);
                return dx == dy ? Mix(h, v) : (alongH ? h : v);
            };
            const int lo = std::min(dx, dy);
            const int hi = std::max(dx, dy);
            uint32_t c;
            if (lo == 0 && hi == 0) {
                c = Lerp(marginBoth, kOutside, 0.75);
            } else if (lo == 0 && hi == 1) {
                c = Lerp(margin, kOutside, 0.3);
            } else if (lo == 0) {
                c = margin;
            } else if (lo == 1 && hi == 1) {
                c = Lerp(marginBoth, kOutside, 0.45);
            } else if (lo == 1 && hi == 2) {
                c = s.greyCorners ? 0xD8D5C7 : Lerp(s.frame, margin, 0.55);
            } else if (lo == 1) {
                c = s.greyCorners ? 0xCBC9BC : Lerp(s.frame, margin, 0.17);
            } else if (lo == 2 && hi == 2) {
                c = Lerp(s.frame, band(0), 0.35);
            } else if (lo == 2) {
                c = Lerp(s.frame, band(0), 0.78);
            } else {
                c = band(1);
            }
            p.At(x, y) = c;
        }
    }
}

}  // namespace

const char* FaceImageName(FaceImage face) {
    switch (face) {
        case FaceImage::Normal:
            return "Normal";
        case FaceImage::HighLight:
            return "HighLight";
        case FaceImage::Selected:
            return "Selected";
        case FaceImage::HighLightSelect:
            return "HighLightSelect";
        case FaceImage::Pressed:
            return "Pressed";
        case FaceImage::Disable:
            return "Disable";
    }
    return "?";
}

FacePicture BuildFacePicture(FaceImage face) {
    const FaceStyle s = StyleOf(face);
    FacePicture p;
    for (int y = 0; y < kFaceHeight; ++y)
        for (int x = 0; x < kFaceWidth; ++x) p.At(x, y) = StraightPixel(s, x, y);
    DrawCorner(s, p, kTop, kLeft);
    DrawCorner(s, p, kTop, kRight);
    DrawCorner(s, p, kBottom, kLeft);
    DrawCorner(s, p, kBottom, kRight);
    if (face == FaceImage::Normal) {
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) p.At(x, y) = kNormalTopLeft[y][x];
    }
    return p;
}

ScaledFacePicture BuildFacePicture(FaceImage face, int dpi) {
    const FacePicture design = BuildFacePicture(face);
    ScaledFacePicture p;
    p.width = ScaleToDpi(kFaceWidth, dpi);
    p.height = ScaleToDpi(kFaceHeight, dpi);
    if (p.width <= 0 || p.height <= 0) return {};
    p.pixels.reserve(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    for (int y = 0; y < p.height; ++y) {
        // The design pixel under the middle of pixel y.
        const int dy = std::min(kFaceHeight - 1, (2 * y + 1) * kFaceHeight / (2 * p.height));
        for (int x = 0; x < p.width; ++x) {
            const int dx = std::min(kFaceWidth - 1, (2 * x + 1) * kFaceWidth / (2 * p.width));
            p.pixels.push_back(design.At(dx, dy));
        }
    }
    return p;
}

std::vector<uint8_t> FacePictureBmp(FaceImage face) {
    const FacePicture p = BuildFacePicture(face);
    return Bmp24File(kFaceWidth, kFaceHeight, [&p](int x, int y) { return p.At(x, y); });
}

}  // namespace orvalis
