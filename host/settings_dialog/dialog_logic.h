// The settings dialog's rules, free of any window: its layout, the background gradients, the enabled states
// of the music controls, the track-number texts, the music paths it takes and what Set writes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/settings/settings.h"

namespace orvalis::dialog {

struct LayoutRect {
    int left, top, width, height;
};

// Client area of the window, in pixels at 96 dpi.
constexpr int kClientWidth = 496;
constexpr int kClientHeight = 243;

// Controls on the window.
constexpr LayoutRect kPicC{12, 16, 469, 165};
constexpr LayoutRect kCmdSet{324, 200, 77, 25};
constexpr LayoutRect kCmdCan{404, 200, 77, 25};
constexpr LayoutRect kLblUrl{12, 208, 207, 13};
constexpr LayoutRect kImgRa0{536, 20, 12, 12};
constexpr LayoutRect kImgRa1{536, 40, 12, 12};

// Controls inside the panel, relative to its client area.
constexpr LayoutRect kShape3{20, 20, 113, 21};
constexpr LayoutRect kLbl15{20, 24, 111, 13};
constexpr std::array<LayoutRect, 3> kImgBgm{{{28, 76, 13, 13}, {28, 56, 13, 13}, {28, 96, 13, 13}}};
constexpr std::array<LayoutRect, 3> kLblBgm{{{44, 76, 22, 13}, {44, 56, 43, 13}, {44, 96, 60, 13}}};
constexpr LayoutRect kBgmRepeat{112, 52, 41, 20};
constexpr LayoutRect kLbl14{156, 56, 66, 13};
constexpr LayoutRect kCmdFile0{28, 116, 41, 21};
constexpr LayoutRect kLblFname0{72, 116, 373, 33};

constexpr int kMarkSize = 12;

// The layout at the window's DPI: every rectangle above scaled by dpi / 96, each of its four values on its
// own; at 96 dpi it is the table above.
struct DialogLayout {
    int dpi;
    int clientWidth, clientHeight;
    LayoutRect picC, cmdSet, cmdCan, lblUrl, imgRa0, imgRa1;
    LayoutRect shape3, lbl15, bgmRepeat, lbl14, cmdFile0, lblFname0;
    std::array<LayoutRect, 3> imgBgm, lblBgm;
    int markSize;    // the mark pictures' side
    int fontHeight;  // the labels' font height for CreateFont: -13 at 96 dpi
    int lineWidth;   // outlines: one pixel, two from 192 dpi on
};
DialogLayout LayoutForDpi(int dpi);

// Web page the credit link opens.
inline constexpr char kAuthorUrl[] = "https://orvalis.example.org/";

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// The brightness b of gradient row y on a surface of client height h: round(|220 sin(y / (h / 3.142))|).
int GradientLevel(int y, double clientHeight);
// Rows 0 .. round(h), both ends included.
int GradientRowCount(double clientHeight);
Rgb WindowRowColour(int level);  // (b, b, b + 30)
Rgb PanelRowColour(int level);   // (b + 30, b + 30, b + 30)

struct ControlStates {
    bool repeatEnabled;
    bool fileButtonEnabled;
    std::optional<int> markedRow;  // none when the choice is outside 0..2
};
ControlStates StatesForChoice(int bgmKind);

// "##": empty for 0, otherwise the decimal text with a leading "-" when negative.
std::string RepeatNumberText(int value);
// The 31 list items of the track box: the texts of 0 .. 30.
std::vector<std::string> RepeatListItems();

// The track box text as a number for saving: a numeric text (as the settings file's numbers are read)
// rounded to the nearest whole number with halves to even; anything else, and any value outside
// -32768..32767, gives 0.
int16_t RepeatValueForSave(const std::string& text);

// Window placement on load: centred across, its top at one third of the free height.
struct Point {
    int x, y;
};
Point DialogPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// The longest ANSI path a music file may have: the settings file must give it back whole, and the ANSI
// music calls open nothing of MAX_PATH (260) bytes or more with its NUL.
constexpr size_t kMaxAnsiPathBytes = 259;
constexpr size_t kMaxMusicPathBytes = std::min(kMaxIniValueBytes, kMaxAnsiPathBytes);
// Whether the file chooser may take a path of these ANSI bytes (a double-byte character counts twice).
bool MusicPathFits(std::string_view ansiPath);

// One key written by Set, in order.
struct IniWrite {
    std::string key;  // one of the settings file's keys (code page 932 bytes)
    std::string value;
};
// The three writes of Set for the current choice, track text and file.
std::vector<IniWrite> SaveWrites(int bgmKind, const std::string& repeatText, const std::string& bgmFile);

}  // namespace orvalis::dialog

namespace orvalis::dialog {

// The two 12 x 12 mark pictures: an empty round box, and the same box holding a dark dot.
Rgb MarkPixel(bool selected, int x, int y);
// The same marks drawn for 200 % (24 x 24).
Rgb LargeMarkPixel(bool selected, int x, int y);
// A mark picture size x size (0xRRGGBB, rows top first): the 12 x 12 artwork at its own size, otherwise
// the 24 x 24 artwork brought smoothly to the size.
std::vector<uint32_t> MarkPicture(bool selected, int size);

// The link cursor: a 32 x 32 two-colour pointing hand whose index finger ends at the hot spot (12, 10).
constexpr int kCursorSize = 32;
constexpr int kCursorHotX = 12;
constexpr int kCursorHotY = 10;
enum class CursorPixel : uint8_t { Transparent, Black, White };
CursorPixel HandCursorPixel(int x, int y);
// Monochrome AND and XOR planes, 4 bytes a row, most significant bit first.
struct CursorMasks {
    std::array<uint8_t, 128> andMask{};
    std::array<uint8_t, 128> xorMask{};
};
CursorMasks HandCursorMasks();
// The hand at another cursor size (the system's size for the window's DPI): the 32 x 32 artwork sampled
// to size x size, rows of whole 16-bit words as CreateCursor takes them, the hot spot scaled with it.
struct SizedCursorMasks {
    int size, hotX, hotY;
    std::vector<uint8_t> andMask, xorMask;
};
SizedCursorMasks HandCursorMasksForSize(int size);

// The caption zoom: from the empty rectangle at the pointer to the window when opening, back when closing.
struct ScreenRect {
    int left, top, right, bottom;
    bool operator==(const ScreenRect&) const = default;
};
struct Zoom {
    ScreenRect from, to;
};
Zoom OpenZoom(Point origin, ScreenRect window);
Zoom CloseZoom(Point origin, ScreenRect window);

}  // namespace orvalis::dialog
