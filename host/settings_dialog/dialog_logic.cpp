#include "host/settings_dialog/dialog_logic.h"

#include <cmath>
#include <cstdlib>

#include "common/dpi_scale.h"
#include "host/settings/numeric_text.h"
#include "host/settings/settings.h"

namespace orvalis::dialog {

int GradientLevel(int y, double clientHeight) {
    const double k = clientHeight / 3.142;
    return static_cast<int>(std::lround(std::fabs(220.0 * std::sin(y / k))));
}

int GradientRowCount(double clientHeight) {
    return static_cast<int>(std::lround(clientHeight)) + 1;
}

Rgb WindowRowColour(int level) {
    const auto b = static_cast<uint8_t>(level);
    return {b, b, static_cast<uint8_t>(level + 30)};
}

Rgb PanelRowColour(int level) {
    const auto g = static_cast<uint8_t>(level + 30);
    return {g, g, g};
}

ControlStates StatesForChoice(int bgmKind) {
    ControlStates s{bgmKind == 1, bgmKind == 2, std::nullopt};
    if (bgmKind >= 0 && bgmKind <= 2) s.markedRow = bgmKind;
    return s;
}

std::string RepeatNumberText(int value) {
    return value == 0 ? std::string() : std::to_string(value);
}

std::vector<std::string> RepeatListItems() {
    std::vector<std::string> items;
    for (int i = 0; i <= 30; ++i) items.push_back(RepeatNumberText(i));
    return items;
}

int16_t RepeatValueForSave(const std::string& text) {
    const std::optional<double> value = ReadNumericText(text);
    if (!value) return 0;
    const double rounded = std::nearbyint(*value);  // default rounding mode: halves to even
    if (rounded < -32768.0 || rounded > 32767.0) return 0;
    return static_cast<int16_t>(rounded);
}

DialogLayout LayoutForDpi(int dpi) {
    auto scale = [dpi](const LayoutRect& r) { return ScaleRectToDpi(r, dpi); };
    DialogLayout l{};
    l.dpi = dpi;
    l.clientWidth = ScaleToDpi(kClientWidth, dpi);
    l.clientHeight = ScaleToDpi(kClientHeight, dpi);
    l.picC = scale(kPicC);
    l.cmdSet = scale(kCmdSet);
    l.cmdCan = scale(kCmdCan);
    l.lblUrl = scale(kLblUrl);
    l.imgRa0 = scale(kImgRa0);
    l.imgRa1 = scale(kImgRa1);
    l.shape3 = scale(kShape3);
    l.lbl15 = scale(kLbl15);
    l.bgmRepeat = scale(kBgmRepeat);
    l.lbl14 = scale(kLbl14);
    l.cmdFile0 = scale(kCmdFile0);
    l.lblFname0 = scale(kLblFname0);
    for (size_t i = 0; i < 3; ++i) {
        l.imgBgm[i] = scale(kImgBgm[i]);
        l.lblBgm[i] = scale(kLblBgm[i]);
    }
    l.markSize = ScaleToDpi(kMarkSize, dpi);
    l.fontHeight = -ScaleToDpi(13, dpi);
    l.lineWidth = std::max(1, dpi / kDesignDpi);
    return l;
}

Point DialogPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 3};
}

bool MusicPathFits(std::string_view ansiPath) {
    return ansiPath.size() <= kMaxMusicPathBytes;
}

std::vector<IniWrite> SaveWrites(int bgmKind, const std::string& repeatText, const std::string& bgmFile) {
    return {
        {kKeyBgmKind, std::to_string(bgmKind)},
        {kKeyBgmRepeat, std::to_string(RepeatValueForSave(repeatText))},
        {kKeyBgmFile, bgmFile},
    };
}

}  // namespace orvalis::dialog

namespace orvalis::dialog {
namespace {

bool InBox(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x <= right && y >= top && y <= bottom;
}

// The hand's outline: palm, index finger with a rounded tip, three folded fingers and the thumb.
bool InHand(int x, int y) {
    if (y == 10 && (x == 11 || x == 14)) return false;
    return InBox(x, y, 11, 10, 14, 18) || InBox(x, y, 9, 17, 22, 29) || InBox(x, y, 15, 15, 17, 18) ||
           InBox(x, y, 18, 16, 20, 18) || InBox(x, y, 21, 17, 22, 18) || InBox(x, y, 6, 20, 9, 24);
}

}  // namespace

Rgb MarkPixel(bool selected, int x, int y) {
    const double dx = x - 5.5;
    const double dy = y - 5.5;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (selected && r <= 2.6) return {0, 60, 116};
    if (r <= 4.6) return {255, 255, 255};
    if (r <= 5.9) return {64, 64, 64};
    return {224, 224, 224};
}

Rgb LargeMarkPixel(bool selected, int x, int y) {
    const double dx = x - 11.5;
    const double dy = y - 11.5;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (selected && r <= 5.2) return {0, 60, 116};
    if (r <= 9.2) return {255, 255, 255};
    if (r <= 11.8) return {64, 64, 64};
    return {224, 224, 224};
}

std::vector<uint32_t> MarkPicture(bool selected, int size) {
    const bool own = size == kMarkSize;
    const int art = own ? kMarkSize : 2 * kMarkSize;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < art; ++y) {
        for (int x = 0; x < art; ++x) {
            const Rgb c = own ? MarkPixel(selected, x, y) : LargeMarkPixel(selected, x, y);
            pixels.push_back(static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b);
        }
    }
    return own ? pixels : ResamplePixels(pixels, art, art, size, size);
}

CursorPixel HandCursorPixel(int x, int y) {
    if (!InHand(x, y)) return CursorPixel::Transparent;
    const bool edge = !InHand(x - 1, y) || !InHand(x + 1, y) || !InHand(x, y - 1) || !InHand(x, y + 1);
    return edge ? CursorPixel::Black : CursorPixel::White;
}

CursorMasks HandCursorMasks() {
    CursorMasks m;
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const size_t byte = static_cast<size_t>(y) * 4 + static_cast<size_t>(x) / 8;
            const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
            switch (HandCursorPixel(x, y)) {
                case CursorPixel::Transparent:
                    m.andMask[byte] |= bit;
                    break;
                case CursorPixel::White:
                    m.xorMask[byte] |= bit;
                    break;
                case CursorPixel::Black:
                    break;
            }
        }
    }
    return m;
}

SizedCursorMasks HandCursorMasksForSize(int size) {
    SizedCursorMasks m{size, kCursorHotX * size / kCursorSize, kCursorHotY * size / kCursorSize, {}, {}};
    if (size <= 0) return m;
    const int rowBytes = (size + 15) / 16 * 2;
    m.andMask.assign(static_cast<size_t>(rowBytes) * size, 0);
    m.xorMask.assign(m.andMask.size(), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const size_t byte = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) / 8;
            const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
            const CursorPixel p = HandCursorPixel(x * kCursorSize / size, y * kCursorSize / size);
            if (p == CursorPixel::Transparent) m.andMask[byte] |= bit;
            if (p == CursorPixel::White) m.xorMask[byte] |= bit;
        }
    }
    return m;
}

Zoom OpenZoom(Point origin, ScreenRect window) {
    return {{origin.x, origin.y, origin.x, origin.y}, window};
}

Zoom CloseZoom(Point origin, ScreenRect window) {
    return {window, {origin.x, origin.y, origin.x, origin.y}};
}

}  // namespace orvalis::dialog
