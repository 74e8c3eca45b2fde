#include "host/settings_dialog/dialog_window_win32.h"

#include "common/text_win32.h"
#include "host/settings/settings.h"

namespace orvalis::dialog {
namespace {

void PaintGradient(HDC dc, int width, int height, bool panel) {
    for (int y = 0; y < GradientRowCount(height); ++y) {
        const int level = GradientLevel(y, height);
        const Rgb c = panel ? PanelRowColour(level) : WindowRowColour(level);
        const GdiPen pen(CreatePen(PS_SOLID, 1, RGB(c.r, c.g, c.b)));
        const Selection selected(dc, pen.get());
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, width, y);
    }
}

// Labels sized to their text are drawn unclipped, so that a wider font does not cut them off.
void DrawLabel(HDC dc, const LayoutRect& r, const std::wstring& text, UINT format, bool sizedToText = true) {
    RECT box = ToRect(r);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              format | DT_NOPREFIX | (sizedToText ? DT_NOCLIP : 0));
}

void DrawMark(HDC dc, const LayoutRect& r, bool selected) {
    for (int y = 0; y < kMarkSize; ++y) {
        for (int x = 0; x < kMarkSize; ++x) {
            const Rgb c = MarkPixel(selected, x, y);
            SetPixelV(dc, r.left + x, r.top + y, RGB(c.r, c.g, c.b));
        }
    }
}

void DrawMusicRows(HDC dc) {
    const char* rows[3] = {"なし", "音楽CD", "MP3、WAV"};
    const auto states = StatesForChoice(SaverSettings.bgmKind);
    for (int i = 0; i < 3; ++i) {
        DrawLabel(dc, kLblBgm[static_cast<size_t>(i)], WideFromUtf8(rows[i]),
                  DT_LEFT | DT_TOP | DT_SINGLELINE);
        DrawMark(dc, kImgBgm[static_cast<size_t>(i)], states.markedRow == i);
    }
}

// lbl_Fname 0: a framed box with the music file's path wrapped inside it.
void DrawFileCaption(HDC dc, const std::string& fileCaption, HBRUSH frameBrush) {
    const RECT box = ToRect(kLblFname0);
    FrameRect(dc, &box, frameBrush);
    LayoutRect inner = kLblFname0;
    inner.left += 2;
    inner.top += 2;
    inner.width -= 4;
    inner.height -= 4;
    DrawLabel(dc, inner, WideFromAnsi(fileCaption), DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL, false);
}

}  // namespace

HDC Surface::Begin(HWND window, int width, int height) {
    if (!dc_ || width != width_ || height != height_) {
        selection_.reset();
        bitmap_.reset();
        dc_.reset();
        const WindowDc screen(window);
        dc_.reset(CreateCompatibleDC(screen.get()));
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
        selection_.emplace(dc_.get(), bitmap_.get());
        width_ = width;
        height_ = height;
    }
    return dc_.get();
}

void Surface::CopyTo(HDC target) const {
    if (dc_) BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

void RenderWindow(DialogState& s) {
    RECT client;
    GetClientRect(s.window, &client);
    HDC dc = s.windowSurface.Begin(s.window, client.right, client.bottom);
    PaintGradient(dc, client.right, client.bottom, false);
    SetBkMode(dc, TRANSPARENT);
    const Selection font(dc, s.linkFont.get());
    SetTextColor(dc, RGB(255, 255, 255));
    DrawLabel(dc, kLblUrl, WideFromUtf8(kAuthorUrl), DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void RenderPanel(DialogState& s) {
    RECT client;
    GetClientRect(s.panel, &client);
    HDC dc = s.panelSurface.Begin(s.panel, client.right, client.bottom);
    PaintGradient(dc, client.right, client.bottom, true);

    // The heading's frame: a one-pixel black outline.
    const RECT frame = ToRect(kShape3);
    auto* black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FrameRect(dc, &frame, black);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const Selection font(dc, s.font.get());
    DrawLabel(dc, kLbl15, L"BGM", DT_CENTER | DT_TOP | DT_SINGLELINE);
    DrawMusicRows(dc);
    DrawLabel(dc, kLbl14, WideFromUtf8("曲目をﾘﾋﾟｰﾄ"), DT_LEFT | DT_TOP | DT_SINGLELINE);
    DrawFileCaption(dc, s.fileCaption, black);
}

void Repaint(DialogState& s) {
    RenderPanel(s);
    InvalidateRect(s.panel, nullptr, FALSE);
}

}  // namespace orvalis::dialog
