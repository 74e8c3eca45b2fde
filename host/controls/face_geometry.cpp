#include "host/controls/face_geometry.h"

#include <cmath>

#include "common/dpi_scale.h"

namespace orvalis {

int32_t TwipsToPixels(int32_t twips) {
    return static_cast<int32_t>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

Rect TwipsToPixels(const Rect& twips) {
    return {TwipsToPixels(twips.x), TwipsToPixels(twips.y), TwipsToPixels(twips.width),
            TwipsToPixels(twips.height)};
}

std::array<FacePiece, 8> FacePiecesTwips(int32_t w, int32_t h) {
    // Source rectangles address the 960 x 375 twip picture; the 1-twip offsets fall on pixel 0.
    return {{
        {{0, 0, 60, 60}, {1, 1, 60, 60}},                 // top-left corner
        {{60, 1, 840, 60}, {60, 1, w - 120, 60}},         // top edge
        {{900, 1, 60, 60}, {w - 60, 1, 60, 60}},          // top-right corner
        {{900, 60, 60, 255}, {w - 60, 60, 60, h - 120}},  // right edge
        {{900, 315, 60, 60}, {w - 60, h - 60, 60, 60}},   // bottom-right corner
        {{60, 315, 840, 60}, {60, h - 60, w - 120, 60}},  // bottom edge
        {{0, 315, 60, 60}, {1, h - 60, 60, 60}},          // bottom-left corner
        {{1, 60, 60, 255}, {1, 60, 60, h - 120}},         // left edge
    }};
}

PixelPieces FacePiecesPixels(int32_t widthTwips, int32_t heightTwips) {
    PixelPieces out;
    for (const FacePiece& piece : FacePiecesTwips(widthTwips, heightTwips)) {
        FacePiece p{TwipsToPixels(piece.source), TwipsToPixels(piece.destination)};
        if (p.destination.width <= 0 || p.destination.height <= 0) continue;
        out.pieces[out.count++] = p;
    }
    return out;
}

namespace {

int32_t ScaleEdge(int32_t edge, int32_t design, int32_t real, int dpi) {
    if (2 * edge <= design) return ScaleToDpi(edge, dpi);
    return real - ScaleToDpi(design - edge, dpi);
}

}  // namespace

Rect ScaleFaceRect(const Rect& r, int32_t designWidth, int32_t designHeight, int32_t realWidth,
                   int32_t realHeight, int dpi) {
    const int32_t left = ScaleEdge(r.x, designWidth, realWidth, dpi);
    const int32_t top = ScaleEdge(r.y, designHeight, realHeight, dpi);
    const int32_t right = ScaleEdge(r.x + r.width, designWidth, realWidth, dpi);
    const int32_t bottom = ScaleEdge(r.y + r.height, designHeight, realHeight, dpi);
    return {left, top, right - left, bottom - top};
}

double CaptionTopTwips(int32_t heightTwips, int32_t labelHeightTwips) {
    return (static_cast<double>(heightTwips) - labelHeightTwips - 20) / 2;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<GradientColour> ParseGradientColour(std::string_view text) {
    if (text.size() != 8 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h')) return std::nullopt;
    uint16_t channel[3];
    for (int i = 0; i < 3; ++i) {
        int hi = HexDigit(text[2 + 2 * i]);
        int lo = HexDigit(text[3 + 2 * i]);
        if (hi < 0 || lo < 0) return std::nullopt;
        channel[i] = static_cast<uint16_t>((hi * 16 + lo) << 8);
    }
    return GradientColour{channel[0], channel[1], channel[2], 0};
}

GradientEnds FaceGradientEnds(bool reverseGradient) {
    const GradientColour white = *ParseGradientColour(kGradientWhite);
    const GradientColour tint = *ParseGradientColour(kGradientTint);
    return reverseGradient ? GradientEnds{tint, white} : GradientEnds{white, tint};
}

uint32_t GradientRowColour(const GradientEnds& ends, int32_t y, int32_t lastRow) {
    auto channel = [&](uint16_t top, uint16_t bottom) {
        int32_t a = top >> 8;
        int32_t b = bottom >> 8;
        if (lastRow <= 0) return static_cast<uint32_t>(a);
        return static_cast<uint32_t>(a + (b - a) * y / lastRow);
    };
    return channel(ends.top.red, ends.bottom.red) << 16 | channel(ends.top.green, ends.bottom.green) << 8 |
           channel(ends.top.blue, ends.bottom.blue);
}

}  // namespace orvalis
