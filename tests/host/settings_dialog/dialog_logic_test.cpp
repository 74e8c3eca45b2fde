#include <gtest/gtest.h>

#include "host/settings_dialog/dialog_logic.h"

using namespace orvalis::dialog;

TEST(DialogGradient, WindowRowsForTheClientHeight) {
    EXPECT_EQ(GradientRowCount(243), 244);
    struct Row {
        int y, level;
    };
    for (Row r : {Row{0, 0}, Row{30, 83}, Row{60, 154}, Row{121, 220}, Row{200, 116}, Row{243, 0}}) {
        EXPECT_EQ(GradientLevel(r.y, 243), r.level) << "y = " << r.y;
    }
    EXPECT_EQ(WindowRowColour(GradientLevel(0, 243)), (Rgb{0, 0, 30}));
    EXPECT_EQ(WindowRowColour(GradientLevel(30, 243)), (Rgb{83, 83, 113}));
    EXPECT_EQ(WindowRowColour(GradientLevel(121, 243)), (Rgb{220, 220, 250}));
}

TEST(DialogGradient, PanelUsesItsOwnHeightAndAGreyRamp) {
    // The panel's band is centred on the panel: its middle row is the brightest.
    const int h = kPicC.height;
    int first = -1, last = -1;
    for (int y = 0; y < GradientRowCount(h); ++y) {
        if (GradientLevel(y, h) == 220) {
            if (first < 0) first = y;
            last = y;
        }
    }
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2.0, h / 2.0, 1.0);
    EXPECT_EQ(GradientLevel(0, h), 0);
    EXPECT_EQ(GradientLevel(h, h), 0);
    EXPECT_EQ(PanelRowColour(0), (Rgb{30, 30, 30}));
    EXPECT_EQ(PanelRowColour(220), (Rgb{250, 250, 250}));
    for (int y = 0; y < GradientRowCount(h); ++y) {
        EXPECT_LE(GradientLevel(y, h), 220);
        EXPECT_GE(GradientLevel(y, h), 0);
    }
}

TEST(DialogStates, FollowTheChoice) {
    auto s = StatesForChoice(0);
    EXPECT_FALSE(s.repeatEnabled);
    EXPECT_FALSE(s.fileButtonEnabled);
    EXPECT_EQ(s.markedRow, 0);
    s = StatesForChoice(1);
    EXPECT_TRUE(s.repeatEnabled);
    EXPECT_FALSE(s.fileButtonEnabled);
    EXPECT_EQ(s.markedRow, 1);
    s = StatesForChoice(2);
    EXPECT_FALSE(s.repeatEnabled);
    EXPECT_TRUE(s.fileButtonEnabled);
    EXPECT_EQ(s.markedRow, 2);
    for (int outside : {5, -1, 32767}) {
        s = StatesForChoice(outside);
        EXPECT_FALSE(s.repeatEnabled);
        EXPECT_FALSE(s.fileButtonEnabled);
        EXPECT_FALSE(s.markedRow.has_value());
    }
}

TEST(DialogNumbers, TrackTextAndList) {
    EXPECT_EQ(RepeatNumberText(0), "");
    EXPECT_EQ(RepeatNumberText(7), "7");
    EXPECT_EQ(RepeatNumberText(123), "123");
    EXPECT_EQ(RepeatNumberText(-4), "-4");
    const auto items = RepeatListItems();
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items.front(), "");
    EXPECT_EQ(items[1], "1");
    EXPECT_EQ(items.back(), "30");
}

TEST(DialogNumbers, TrackTextSavedRoundingHalvesToEven) {
    EXPECT_EQ(RepeatValueForSave(""), 0);
    EXPECT_EQ(RepeatValueForSave("abc"), 0);
    EXPECT_EQ(RepeatValueForSave("12"), 12);
    EXPECT_EQ(RepeatValueForSave("2.5"), 2);
    EXPECT_EQ(RepeatValueForSave("3.5"), 4);
    EXPECT_EQ(RepeatValueForSave("-2.5"), -2);
    EXPECT_EQ(RepeatValueForSave(" 7 "), 7);
    EXPECT_EQ(RepeatValueForSave("2.6"), 3);
    EXPECT_EQ(RepeatValueForSave(".5"), 0);
    EXPECT_EQ(RepeatValueForSave("1.5"), 2);
    EXPECT_EQ(RepeatValueForSave("12abc"), 0);
    EXPECT_EQ(RepeatValueForSave("-"), 0);
    EXPECT_EQ(RepeatValueForSave("1e3"), 1000) << "read as the settings file reads numbers";
    EXPECT_EQ(RepeatValueForSave("1e"), 0);
    EXPECT_EQ(RepeatValueForSave("32767"), 32767);
    EXPECT_EQ(RepeatValueForSave("-32768"), -32768);
    EXPECT_EQ(RepeatValueForSave("32768"), 0) << "no 16-bit form: saved as 0";
    EXPECT_EQ(RepeatValueForSave("99999999999999999999"), 0);
}

TEST(DialogSave, WritesTheThreeKeysInOrder) {
    auto writes = SaveWrites(2, "", "");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].key, "BGM\x8B\xE6\x95\xAA");
    EXPECT_EQ(writes[0].value, "2");
    EXPECT_EQ(writes[1].key, "BGM\xD8\xCB\xDF\xB0\xC4");
    EXPECT_EQ(writes[1].value, "0");
    EXPECT_EQ(writes[2].key, "BGM\xCC\xA7\xB2\xD9");
    EXPECT_EQ(writes[2].value, "");

    writes = SaveWrites(5, "-3", "C:\\Music\\a.mp3");
    EXPECT_EQ(writes[0].value, "5");
    EXPECT_EQ(writes[1].value, "-3");
    EXPECT_EQ(writes[2].value, "C:\\Music\\a.mp3");
}

TEST(DialogFileChoice, TakesPathsTheSettingsFileGivesBackWhole) {
    // "C:\" and 126 double-byte characters (code page 932 "あ") make 129 characters in 255 bytes.
    std::string path = "C:\\";
    for (int i = 0; i < 126; ++i) path += "\x82\xA0";
    ASSERT_EQ(path.size(), 255u);
    EXPECT_TRUE(MusicPathFits(path));
    EXPECT_FALSE(MusicPathFits(path + "a")) << "256 bytes, 130 characters: read back cut";
    EXPECT_FALSE(MusicPathFits(path + "\x82\xA0")) << "257 bytes";
    EXPECT_FALSE(MusicPathFits(std::string(259, 'a'))) << "the settings file's limit is the tighter one";
}

TEST(DialogLayout, PlacementAndGeometry) {
    const Point p = DialogPosition(1024, 768, 502, 272);
    EXPECT_EQ(p.x, 261);
    EXPECT_EQ(p.y, 165);
    // A window larger than the screen truncates toward zero.
    EXPECT_EQ(DialogPosition(400, 200, 503, 272).x, -51);
    EXPECT_EQ(DialogPosition(400, 200, 503, 272).y, -24);
    // The mark pictures lie right of the client area.
    EXPECT_GE(kImgRa0.left, kClientWidth);
    EXPECT_GE(kImgRa1.left, kClientWidth);
    // Rows top to bottom: audio CD, none, file.
    EXPECT_LT(kImgBgm[1].top, kImgBgm[0].top);
    EXPECT_LT(kImgBgm[0].top, kImgBgm[2].top);
}

TEST(DialogPictures, MarksAreToldApartAtTheCentre) {
    int differing = 0;
    for (int y = 0; y < kMarkSize; ++y) {
        for (int x = 0; x < kMarkSize; ++x) {
            if (!(MarkPixel(true, x, y) == MarkPixel(false, x, y))) ++differing;
        }
    }
    EXPECT_GE(differing, 12) << "the dot must be plain to see";
    EXPECT_EQ(MarkPixel(false, 5, 5), (Rgb{255, 255, 255}));
    EXPECT_EQ(MarkPixel(true, 5, 5), (Rgb{0, 60, 116}));
    EXPECT_EQ(MarkPixel(true, 0, 0), MarkPixel(false, 0, 0));
}

TEST(DialogPictures, HandCursorPointsAtItsHotSpot) {
    EXPECT_EQ(HandCursorPixel(kCursorHotX, kCursorHotY), CursorPixel::Black);
    // Nothing of the hand lies above the fingertip.
    for (int y = 0; y < kCursorHotY; ++y) {
        for (int x = 0; x < kCursorSize; ++x) EXPECT_EQ(HandCursorPixel(x, y), CursorPixel::Transparent);
    }
    const CursorMasks m = HandCursorMasks();
    // Hot spot: drawn black (AND 0, XOR 0); a corner: transparent (AND 1, XOR 0); inside the palm: white.
    auto bit = [](const std::array<uint8_t, 128>& plane, int x, int y) {
        return (plane[static_cast<size_t>(y) * 4 + static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(bit(m.andMask, 12, 10), 0);
    EXPECT_EQ(bit(m.xorMask, 12, 10), 0);
    EXPECT_EQ(bit(m.andMask, 0, 0), 1);
    EXPECT_EQ(bit(m.xorMask, 0, 0), 0);
    EXPECT_EQ(bit(m.andMask, 15, 24), 0);
    EXPECT_EQ(bit(m.xorMask, 15, 24), 1);
}

TEST(DialogAnimation, ZoomsOutOfThePointerAndBackIntoIt) {
    const ScreenRect window{100, 50, 602, 322};
    const Zoom open = OpenZoom({10, 20}, window);
    EXPECT_EQ(open.from, (ScreenRect{10, 20, 10, 20}));
    EXPECT_EQ(open.to, window);
    const Zoom close = CloseZoom({10, 20}, window);
    EXPECT_EQ(close.from, window);
    EXPECT_EQ(close.to, (ScreenRect{10, 20, 10, 20}));
}

namespace orvalis::dialog {
namespace {

// The layout at each DPI, against values worked out by hand (each of left, top, width and height times
// dpi / 96, halves rounded up).
TEST(DialogLayout, EveryRectangleScaledToTheDpi) {
    struct Case {
        int dpi;
        int clientWidth, clientHeight;
        LayoutRect picC, cmdSet, lblUrl, imgBgm1, lblFname0, bgmRepeat;
        int markSize, fontHeight, lineWidth;
    };
    const Case cases[] = {
        {96,
         496,
         243,
         {12, 16, 469, 165},
         {324, 200, 77, 25},
         {12, 208, 207, 13},
         {28, 56, 13, 13},
         {72, 116, 373, 33},
         {112, 52, 41, 20},
         12,
         -13,
         1},
        {120,
         620,
         304,
         {15, 20, 586, 206},
         {405, 250, 96, 31},
         {15, 260, 259, 16},
         {35, 70, 16, 16},
         {90, 145, 466, 41},
         {140, 65, 51, 25},
         15,
         -16,
         1},
        {144,
         744,
         365,
         {18, 24, 704, 248},
         {486, 300, 116, 38},
         {18, 312, 311, 20},
         {42, 84, 20, 20},
         {108, 174, 560, 50},
         {168, 78, 62, 30},
         18,
         -20,
         1},
        {192,
         992,
         486,
         {24, 32, 938, 330},
         {648, 400, 154, 50},
         {24, 416, 414, 26},
         {56, 112, 26, 26},
         {144, 232, 746, 66},
         {224, 104, 82, 40},
         24,
         -26,
         2},
    };
    auto same = [](const LayoutRect& a, const LayoutRect& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    };
    for (const Case& c : cases) {
        const DialogLayout l = LayoutForDpi(c.dpi);
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(l.dpi, c.dpi);
        EXPECT_EQ(l.clientWidth, c.clientWidth);
        EXPECT_EQ(l.clientHeight, c.clientHeight);
        EXPECT_TRUE(same(l.picC, c.picC));
        EXPECT_TRUE(same(l.cmdSet, c.cmdSet));
        EXPECT_TRUE(same(l.lblUrl, c.lblUrl));
        EXPECT_TRUE(same(l.imgBgm[1], c.imgBgm1));
        EXPECT_TRUE(same(l.lblFname0, c.lblFname0));
        EXPECT_TRUE(same(l.bgmRepeat, c.bgmRepeat));
        EXPECT_EQ(l.markSize, c.markSize);
        EXPECT_EQ(l.fontHeight, c.fontHeight);
        EXPECT_EQ(l.lineWidth, c.lineWidth);
    }
    // Every rectangle of the table takes part; at 96 dpi each is its design value.
    const DialogLayout design = LayoutForDpi(96);
    const LayoutRect all[] = {design.cmdCan,    design.imgRa0,    design.imgRa1,    design.shape3,
                              design.lbl15,     design.lbl14,     design.cmdFile0,  design.imgBgm[0],
                              design.imgBgm[2], design.lblBgm[0], design.lblBgm[1], design.lblBgm[2]};
    const LayoutRect table[] = {kCmdCan,   kImgRa0,    kImgRa1,    kShape3,    kLbl15,     kLbl14,
                                kCmdFile0, kImgBgm[0], kImgBgm[2], kLblBgm[0], kLblBgm[1], kLblBgm[2]};
    for (size_t i = 0; i < std::size(all); ++i) EXPECT_TRUE(same(all[i], table[i])) << i;
    const DialogLayout big = LayoutForDpi(144);
    EXPECT_TRUE(same(big.cmdCan, {606, 300, 116, 38}));
    EXPECT_TRUE(same(big.lblBgm[2], {66, 144, 90, 20}));
    EXPECT_TRUE(same(big.shape3, {30, 30, 170, 32}));
}

uint32_t Packed(Rgb c) {
    return static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
}

TEST(DialogPictures, MarksAtEveryScaleComeFromTheirArtwork) {
    // At 96 dpi the 12 x 12 artwork itself.
    const std::vector<uint32_t> own = MarkPicture(true, 12);
    ASSERT_EQ(own.size(), 144u);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(own[static_cast<size_t>(y) * 12 + static_cast<size_t>(x)],
                      Packed(MarkPixel(true, x, y)));
    // At 200 % the 24 x 24 artwork, drawn at that size: its dot is 10 pixels across, not a doubled 12 x 12.
    const std::vector<uint32_t> large = MarkPicture(true, 24);
    ASSERT_EQ(large.size(), 576u);
    int dot = 0;
    for (int x = 0; x < 24; ++x) dot += large[11u * 24 + static_cast<size_t>(x)] == 0x003C74;
    EXPECT_EQ(dot, 10);
    EXPECT_EQ(large[0], 0xE0E0E0u);
    // At 150 % it is smoothed down from the large one: the centre keeps the dot, the ring's edge blends.
    const std::vector<uint32_t> mid = MarkPicture(true, 18);
    ASSERT_EQ(mid.size(), 324u);
    EXPECT_EQ(mid[static_cast<size_t>(9 * 18 + 9)], 0x003C74u);
    EXPECT_EQ(MarkPicture(false, 18)[static_cast<size_t>(9 * 18 + 9)], 0xFFFFFFu);
    bool blended = false;
    for (const uint32_t c : mid) blended |= c != 0x003C74 && c != 0xFFFFFF && c != 0x404040 && c != 0xE0E0E0;
    EXPECT_TRUE(blended) << "a smoothly scaled picture has in-between colours";
}

TEST(DialogPictures, HandCursorAtTheSystemsCursorSize) {
    const CursorMasks design = HandCursorMasks();
    const SizedCursorMasks same = HandCursorMasksForSize(32);
    EXPECT_EQ(same.hotX, 12);
    EXPECT_EQ(same.hotY, 10);
    EXPECT_TRUE(
        std::equal(design.andMask.begin(), design.andMask.end(), same.andMask.begin(), same.andMask.end()));
    EXPECT_TRUE(
        std::equal(design.xorMask.begin(), design.xorMask.end(), same.xorMask.begin(), same.xorMask.end()));
    // 48 x 48 at 150 %: 6 bytes a row, the hot spot at (18, 15) on the finger's tip.
    const SizedCursorMasks big = HandCursorMasksForSize(48);
    EXPECT_EQ(big.hotX, 18);
    EXPECT_EQ(big.hotY, 15);
    ASSERT_EQ(big.andMask.size(), 6u * 48);
    auto opaque = [&](int x, int y) {
        return !(big.andMask[static_cast<size_t>(y) * 6 + static_cast<size_t>(x / 8)] & (0x80 >> (x % 8)));
    };
    EXPECT_TRUE(opaque(18, 15));
    EXPECT_FALSE(opaque(18, 13));
    EXPECT_FALSE(opaque(2, 2));
    // 40 x 40 rows are padded to whole words: 6 bytes.
    EXPECT_EQ(HandCursorMasksForSize(40).andMask.size(), 6u * 40);
}

}  // namespace
}  // namespace orvalis::dialog
