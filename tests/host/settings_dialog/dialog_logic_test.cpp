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
