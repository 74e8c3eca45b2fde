#include <gtest/gtest.h>

#include "host/controls/face_geometry.h"
#include "host/controls/face_pictures.h"

namespace orvalis {
namespace {

std::vector<Rect> Destinations(int32_t widthPixels, int32_t heightPixels) {
    PixelPieces p = FacePiecesPixels(widthPixels * kTwipsPerPixel, heightPixels * kTwipsPerPixel);
    std::vector<Rect> out;
    out.reserve(static_cast<size_t>(p.count));
    for (int i = 0; i < p.count; ++i) out.push_back(p.pieces[i].destination);
    return out;
}

TEST(FaceGeometry, SourcePiecesAreTheOuterBandOfThePicture) {
    PixelPieces p = FacePiecesPixels(1155, 375);
    ASSERT_EQ(p.count, 8);
    const std::vector<Rect> expected = {{0, 0, 4, 4},   {4, 0, 56, 4},  {60, 0, 4, 4}, {60, 4, 4, 17},
                                        {60, 21, 4, 4}, {4, 21, 56, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.pieces[i].source, expected[i]) << "piece " << i;
}

TEST(FaceGeometry, SetAndCancelButtonSize) {
    // 77 x 25: bands stretched from 56 to 69, sides copied 17 to 17, a 69 x 17 middle keeps the gradient.
    const std::vector<Rect> expected = {{0, 0, 4, 4},   {4, 0, 69, 4},  {73, 0, 4, 4}, {73, 4, 4, 17},
                                        {73, 21, 4, 4}, {4, 21, 69, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    EXPECT_EQ(Destinations(77, 25), expected);
    EXPECT_EQ(CaptionTopTwips(375), 80);
}

TEST(FaceGeometry, FileButtonSize) {
    const std::vector<Rect> expected = {{0, 0, 4, 4},   {4, 0, 33, 4},  {37, 0, 4, 4}, {37, 4, 4, 13},
                                        {37, 17, 4, 4}, {4, 17, 33, 4}, {0, 17, 4, 4}, {0, 4, 4, 13}};
    EXPECT_EQ(Destinations(41, 21), expected);
    EXPECT_EQ(CaptionTopTwips(315), 50);
    EXPECT_DOUBLE_EQ(CaptionTopTwips(316), 50.5);
}

TEST(FaceGeometry, SmallAndHugeControls) {
    EXPECT_EQ(Destinations(8, 8).size(), 4u);  // edges of zero length are left out
    EXPECT_EQ(Destinations(3, 30).size(), 6u);
    // Beyond the 16-bit twip range the frame still reaches the far edges.
    std::vector<Rect> wide = Destinations(3000, 25);
    ASSERT_EQ(wide.size(), 8u);
    EXPECT_EQ(wide[1], (Rect{4, 0, 2992, 4}));
    EXPECT_EQ(wide[2], (Rect{2996, 0, 4, 4}));
}

TEST(FaceGradient, ColourTextsAndOrientation) {
    EXPECT_EQ(ParseGradientColour("&HFFFFFF"), (GradientColour{0xFF00, 0xFF00, 0xFF00, 0}));
    EXPECT_EQ(ParseGradientColour("&HC6C5D7"), (GradientColour{0xC600, 0xC500, 0xD700, 0}));
    EXPECT_EQ(ParseGradientColour("&h0a0B0c"), (GradientColour{0x0A00, 0x0B00, 0x0C00, 0}));
    for (const char* bad : {"", "&H", "HFFFFFF", "&HFFFFF", "&HFFFFFFF", "&HGG0000", "#FFFFFF0"})
        EXPECT_FALSE(ParseGradientColour(bad)) << bad;

    const GradientEnds plain = FaceGradientEnds(false);
    const GradientEnds reversed = FaceGradientEnds(true);
    EXPECT_EQ(plain.top.red, 0xFF00);
    EXPECT_EQ(plain.bottom.blue, 0xD700);
    EXPECT_EQ(reversed.top, plain.bottom);
    EXPECT_EQ(reversed.bottom, plain.top);
    EXPECT_EQ(GradientRowColour(plain, 0, 24), 0xFFFFFFu);
    EXPECT_EQ(GradientRowColour(plain, 24, 24), 0xC6C5D7u);
    EXPECT_EQ(GradientRowColour(reversed, 12, 24), 0xE2E2EBu);
}

// --- face pictures ----------------------------------------------------------------------------------

FacePicture Face(FaceImage f) {
    return BuildFacePicture(f);
}

TEST(FacePictures, NormalTopLeftCornerAsDrawn) {
    const uint32_t corner[4][4] = {
        {0xE9E7D5, 0xE4DFCE, 0xE1DDCA, 0xE0DCC9},
        {0xE4DFCE, 0xE6E1D0, 0x7A95A8, 0x255783},
        {0xE2DECB, 0x7A95A8, 0x557DA2, 0xC0CFDD},
        {0xE2DECB, 0x255783, 0xBFCEDC, 0xFEFEFE},
    };
    const FacePicture p = Face(FaceImage::Normal);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(x, y), corner[y][x]) << x << "," << y;
}

TEST(FacePictures, BlueFramedFacesHaveTheirMarginFrameAndBands) {
    for (FaceImage f : {FaceImage::Normal, FaceImage::HighLight, FaceImage::Selected}) {
        const FacePicture p = Face(f);
        SCOPED_TRACE(FaceImageName(f));
        EXPECT_EQ(p.At(30, 0), 0xE0DCC9u);
        EXPECT_EQ(p.At(30, 24), 0xF8F7F0u);
        EXPECT_EQ(p.At(0, 12), 0xE2DECBu);
        EXPECT_EQ(p.At(63, 12), 0xF0EEE0u);
        EXPECT_EQ(p.At(30, 1), 0x003C74u);
        EXPECT_EQ(p.At(30, 23), 0x003C74u);
        EXPECT_EQ(p.At(1, 12), 0x003C74u);
        EXPECT_EQ(p.At(62, 12), 0x003C74u);
    }
    const FacePicture n = Face(FaceImage::Normal);
    EXPECT_EQ(n.At(30, 2), 0xF3F3EEu);
    EXPECT_EQ(n.At(30, 3), 0xF3F3EEu);
    EXPECT_EQ(n.At(30, 21), 0xE2DFD6u);
    EXPECT_EQ(n.At(30, 22), 0xD6D0C5u);
    EXPECT_EQ(n.At(2, 4), 0xFDFDFCu);  // the side bands fade from the top to the bottom corner
    EXPECT_EQ(n.At(3, 20), 0xECEBE6u);
    EXPECT_EQ(n.At(60, 4), 0xFBFBFAu);
    EXPECT_EQ(n.At(61, 4), 0xF6F4F2u);
    EXPECT_EQ(n.At(60, 20), 0xE4E2DAu);
    EXPECT_EQ(n.At(61, 20), 0xE0DDD4u);

    const FacePicture h = Face(FaceImage::HighLight);
    EXPECT_EQ(h.At(30, 2), 0xFFF0CFu);
    EXPECT_EQ(h.At(30, 3), 0xFDD889u);
    EXPECT_EQ(h.At(30, 21), 0xF8B330u);
    EXPECT_EQ(h.At(30, 22), 0xE59700u);
    EXPECT_EQ(h.At(2, 4), 0xFEDF9Au);
    EXPECT_EQ(h.At(61, 20), 0xF9B435u);
    EXPECT_EQ(h.At(60, 20), 0xF8B535u);
    EXPECT_EQ(BuildFacePicture(FaceImage::HighLightSelect).pixels, h.pixels);

    const FacePicture s = Face(FaceImage::Selected);
    EXPECT_EQ(s.At(30, 2), 0xCEE7FFu);
    EXPECT_EQ(s.At(30, 22), 0x6982EEu);
    EXPECT_EQ(s.At(2, 4), 0xB7D0F4u);
    EXPECT_EQ(s.At(3, 20), 0x8BADE4u);
    EXPECT_EQ(s.At(61, 4), 0xB1CCF2u);
    EXPECT_EQ(s.At(60, 20), 0x8BAFE5u);
}

TEST(FacePictures, PressedFrameIsOnePixelFurtherIn) {
    const FacePicture p = Face(FaceImage::Pressed);
    EXPECT_EQ(p.At(30, 0), 0xECE9D8u);
    EXPECT_EQ(p.At(0, 12), 0xECE9D8u);
    EXPECT_EQ(p.At(30, 1), 0xE0DCC9u);
    EXPECT_EQ(p.At(1, 12), 0xE2DECBu);
    EXPECT_EQ(p.At(30, 23), 0xF8F7F0u);
    EXPECT_EQ(p.At(62, 12), 0xF0EEE0u);
    for (auto [x, y] : {std::pair{30, 2}, {30, 22}, {2, 12}, {61, 12}}) EXPECT_EQ(p.At(x, y), 0x003C74u);
    EXPECT_EQ(p.At(30, 3), 0xD1CCC1u);
    EXPECT_EQ(p.At(3, 12), 0xD8D5CCu);
    EXPECT_EQ(p.At(60, 12), 0xE4E3DCu);
    EXPECT_EQ(p.At(30, 21), 0xF2F1EEu);
}

TEST(FacePictures, DisableIsGrey) {
    const FacePicture p = Face(FaceImage::Disable);
    EXPECT_EQ(p.At(30, 0), 0xECE9D8u);
    EXPECT_EQ(p.At(63, 12), 0xECE9D8u);
    EXPECT_EQ(p.At(30, 1), 0xC9C7BAu);
    EXPECT_EQ(p.At(62, 12), 0xC9C7BAu);
    EXPECT_EQ(p.At(30, 2), 0xF5F4EAu);
    EXPECT_EQ(p.At(3, 12), 0xF5F4EAu);
    EXPECT_EQ(p.At(2, 1), 0xD8D5C7u);
    EXPECT_EQ(p.At(3, 1), 0xCBC9BCu);
}

TEST(FacePictures, CornersAreRoundedAndMirrored) {
    for (int f = 0; f < kFaceImageCount; ++f) {
        const FacePicture p = Face(static_cast<FaceImage>(f));
        SCOPED_TRACE(FaceImageName(static_cast<FaceImage>(f)));
        const int in = f == static_cast<int>(FaceImage::Pressed) ? 1 : 0;
        // The frame's own corner pixel is cut away on every corner.
        const uint32_t frame = p.At(30, 1 + in);
        for (auto [x, y] :
             {std::pair{1 + in, 1 + in}, {62 - in, 1 + in}, {1 + in, 23 - in}, {62 - in, 23 - in}})
            EXPECT_NE(p.At(x, y), frame) << x << "," << y;
        // Mirrored blend: the pixel next to the cut corner is the same mix on the left and right.
        EXPECT_EQ(p.At(2 + in, 1 + in) == frame, p.At(61 - in, 1 + in) == frame);
    }
}

TEST(FacePictures, BitmapFileLayout) {
    const std::vector<uint8_t> bmp = FacePictureBmp(FaceImage::Selected);
    ASSERT_EQ(bmp.size(), 54u + 4800u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[18], 64);
    EXPECT_EQ(bmp[22], 25);
    EXPECT_EQ(bmp[28], 24);
    const FacePicture p = Face(FaceImage::Selected);
    // Rows are stored bottom first, blue-green-red.
    auto at = [&](int x, int y) {
        const uint8_t* px = bmp.data() + 54 + (24 - y) * 192 + 3 * x;
        return uint32_t{px[2]} << 16 | uint32_t{px[1]} << 8 | px[0];
    };
    for (auto [x, y] : {std::pair{0, 0}, {30, 2}, {63, 24}, {5, 22}}) EXPECT_EQ(at(x, y), p.At(x, y));
}

// The Set button at 150 %: 77 x 25 at 96 dpi is 116 x 38 pixels; its pieces keep 6-pixel corners that meet
// the control's edges, and the pieces of the 96 x 38 picture for that DPI are cut the same way.
TEST(FaceGeometry, PiecesAtAnotherDpi) {
    const PixelPieces p = FacePiecesPixels(77 * kTwipsPerPixel, 25 * kTwipsPerPixel);
    ASSERT_EQ(p.count, 8);
    const Rect destinations[8] = {{0, 0, 6, 6},    {6, 0, 104, 6},  {110, 0, 6, 6}, {110, 6, 6, 26},
                                  {110, 32, 6, 6}, {6, 32, 104, 6}, {0, 32, 6, 6},  {0, 6, 6, 26}};
    const Rect sources[8] = {{0, 0, 6, 6},   {6, 0, 84, 6},  {90, 0, 6, 6}, {90, 6, 6, 26},
                             {90, 32, 6, 6}, {6, 32, 84, 6}, {0, 32, 6, 6}, {0, 6, 6, 26}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ScaleFaceRect(p.pieces[i].destination, 77, 25, 116, 38, 144), destinations[i]);
        EXPECT_EQ(ScaleFaceRect(p.pieces[i].source, kFaceWidth, kFaceHeight, 96, 38, 144), sources[i]);
        // At 96 dpi nothing moves.
        EXPECT_EQ(ScaleFaceRect(p.pieces[i].destination, 77, 25, 77, 25, 96), p.pieces[i].destination);
    }
    // The whole surface, as the gradient takes it.
    EXPECT_EQ(ScaleFaceRect({0, 0, 77, 25}, 77, 25, 116, 38, 144), (Rect{0, 0, 116, 38}));
}

TEST(FacePictures, MadeForTheDpiFromWholePixels) {
    const ScaledFacePicture same = BuildFacePicture(FaceImage::Normal, 96);
    EXPECT_EQ(same.width, 64);
    EXPECT_EQ(same.height, 25);
    const FacePicture design = Face(FaceImage::Normal);
    EXPECT_TRUE(
        std::equal(same.pixels.begin(), same.pixels.end(), design.pixels.begin(), design.pixels.end()));

    // 150 %: 96 x 38; down the middle column the margin takes rows 0-1, the frame row 2, the top band
    // rows 3-4, and at the bottom the bands rows 32-34, the frame row 35, the margin rows 36-37.
    const ScaledFacePicture mid = BuildFacePicture(FaceImage::Normal, 144);
    ASSERT_EQ(mid.width, 96);
    ASSERT_EQ(mid.height, 38);
    ASSERT_EQ(mid.pixels.size(), 96u * 38);
    const uint32_t column[6] = {0xE2DFD6, 0xD6D0C5, 0xD6D0C5, 0x003C74, 0xF8F7F0, 0xF8F7F0};
    auto at = [&](int x, int y) {
        return mid.pixels[static_cast<size_t>(y) * static_cast<size_t>(mid.width) + static_cast<size_t>(x)];
    };
    EXPECT_EQ(at(45, 0), 0xE0DCC9u);
    EXPECT_EQ(at(45, 1), 0xE0DCC9u);
    EXPECT_EQ(at(45, 2), 0x003C74u);
    EXPECT_EQ(at(45, 3), 0xF3F3EEu);
    EXPECT_EQ(at(45, 4), 0xF3F3EEu);
    for (int y = 32; y < 38; ++y) EXPECT_EQ(at(45, y), column[y - 32]) << y;
    EXPECT_EQ(at(2, 19), 0x003C74u);  // the left frame column: 2 of (5 * 64 / 192 = 1)
    EXPECT_EQ(at(93, 19), 0x003C74u);

    // 200 %: every pixel doubled, the frame two rows thick.
    const ScaledFacePicture twice = BuildFacePicture(FaceImage::Pressed, 192);
    ASSERT_EQ(twice.width, 128);
    ASSERT_EQ(twice.height, 50);
    const FacePicture pressed = Face(FaceImage::Pressed);
    for (auto [x, y] : {std::pair{0, 0}, {5, 5}, {60, 4}, {127, 49}, {64, 47}})
        EXPECT_EQ(twice.pixels[static_cast<size_t>(y) * 128 + static_cast<size_t>(x)],
                  pressed.At(x / 2, y / 2))
            << x << "," << y;
}

}  // namespace
}  // namespace orvalis
