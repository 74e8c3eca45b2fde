// Geometry of a button face: the eight frame pieces cut from a face picture, the gradient's end colours and
// the caption's place. Lengths are twips (15 to the pixel at 96 dpi) unless a name says pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvalis {

constexpr int32_t kTwipsPerPixel = 15;

// Face pictures are 64 x 25 pixels; only their outer band of 4 pixels is ever drawn.
constexpr int32_t kFaceWidth = 64;
constexpr int32_t kFaceHeight = 25;
constexpr int32_t kFaceBorder = 4;

// The caption label is one line of the 13-pixel font high.
constexpr int32_t kCaptionHeightTwips = 195;

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Rect&) const = default;
};

// Twips to the nearest pixel (a 1-twip offset lands on pixel 0).
int32_t TwipsToPixels(int32_t twips);
Rect TwipsToPixels(const Rect& twips);

struct FacePiece {
    Rect source;       // in the face picture
    Rect destination;  // in the control
};

// The corners, edges and sides of the frame in drawing order, in twips, for a control of
// widthTwips x heightTwips. Arithmetic is 32-bit, so controls beyond 32767 twips still get their frame.
std::array<FacePiece, 8> FacePiecesTwips(int32_t widthTwips, int32_t heightTwips);

// The same pieces in pixels; pieces that come out with no positive size (controls smaller than
// 8 x 8 pixels) are left out, so nothing is ever drawn mirrored or inside out.
struct PixelPieces {
    std::array<FacePiece, 8> pieces{};
    int count = 0;
};
PixelPieces FacePiecesPixels(int32_t widthTwips, int32_t heightTwips);

// A rectangle of a surface measured in 96-dpi pixels (designWidth x designHeight) on the same surface at
// `dpi` (realWidth x realHeight pixels). Edges in the near half scale from the near side and edges in the
// far half from the far side, so corners keep their scaled size on both sides and meet the surface's edges.
Rect ScaleFaceRect(const Rect& r, int32_t designWidth, int32_t designHeight, int32_t realWidth,
                   int32_t realHeight, int dpi);

// Top of the caption label: centred on the control and 10 twips above its middle.
double CaptionTopTwips(int32_t heightTwips, int32_t labelHeightTwips = kCaptionHeightTwips);

// One colour as the 16-bit channels GradientFill takes.
struct GradientColour {
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t alpha = 0;
    bool operator==(const GradientColour&) const = default;
};

// "&HRRGGBB" (red first): each pair PP becomes the channel value 0xPP00. Anything else gives nothing.
std::optional<GradientColour> ParseGradientColour(std::string_view text);

inline constexpr std::string_view kGradientWhite = "&HFFFFFF";
inline constexpr std::string_view kGradientTint = "&HC6C5D7";

struct GradientEnds {
    GradientColour top;
    GradientColour bottom;
};

// White over the tint, or the tint over white when the gradient is reversed.
GradientEnds FaceGradientEnds(bool reverseGradient);

// Colour of pixel row y of a vertical gradient from row 0 to row lastRow (as GradientFill interpolates it),
// 8 bits per channel as 0xRRGGBB.
uint32_t GradientRowColour(const GradientEnds& ends, int32_t y, int32_t lastRow);

}  // namespace orvalis
