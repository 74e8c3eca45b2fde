#include "host/settings_dialog/dialog_window_win32.h"

#include "common/dpi_scale.h"
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

void DrawMark(HDC dc, const LayoutRect& r, int size, bool selected) {
    const std::vector<uint32_t> picture = MarkPicture(selected, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t c = picture[static_cast<size_t>(y) * size + x];
            SetPixelV(dc, r.left + x, r.top + y, RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        }
    }
}

// A one-pixel outline at 96 dpi, drawn lineWidth pixels thick.
void DrawOutline(HDC dc, const LayoutRect& r, int lineWidth, HBRUSH brush) {
    RECT box = ToRect(r);
    for (int i = 0; i < lineWidth; ++i) {
        FrameRect(dc, &box, brush);
        InflateRect(&box, -1, -1);
    }
}

void DrawMusicRows(HDC dc, const DialogLayout& layout) {
    const char* rows[3] = {"なし", "音楽CD", "MP3、WAV"};
    const auto states = StatesForChoice(SaverSettings.bgmKind);
    for (int i = 0; i < 3; ++i) {
        DrawLabel(dc, layout.lblBgm[static_cast<size_t>(i)], WideFromUtf8(rows[i]),
                  DT_LEFT | DT_TOP | DT_SINGLELINE);
        DrawMark(dc, layout.imgBgm[static_cast<size_t>(i)], layout.markSize, states.markedRow == i);
    }
}

// lbl_Fname 0: a framed box with the music file's path wrapped inside it.
void DrawFileCaption(HDC dc, const DialogLayout& layout, const std::string& fileCaption, HBRUSH frameBrush) {
    DrawOutline(dc, layout.lblFname0, layout.lineWidth, frameBrush);
    const int margin = ScaleToDpi(2, layout.dpi);
    LayoutRect inner = layout.lblFname0;
    inner.left += margin;
    inner.top += margin;
    inner.width -= 2 * margin;
    inner.height -= 2 * margin;
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
    DrawLabel(dc, s.layout.lblUrl, WideFromUtf8(kAuthorUrl), DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void RenderPanel(DialogState& s) {
    RECT client;
    GetClientRect(s.panel, &client);
    HDC dc = s.panelSurface.Begin(s.panel, client.right, client.bottom);
    PaintGradient(dc, client.right, client.bottom, true);

    // The heading's frame: a one-pixel black outline.
    auto* black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    DrawOutline(dc, s.layout.shape3, s.layout.lineWidth, black);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const Selection font(dc, s.font.get());
    DrawLabel(dc, s.layout.lbl15, L"BGM", DT_CENTER | DT_TOP | DT_SINGLELINE);
    DrawMusicRows(dc, s.layout);
    DrawLabel(dc, s.layout.lbl14, WideFromUtf8("曲目をﾘﾋﾟｰﾄ"), DT_LEFT | DT_TOP | DT_SINGLELINE);
    DrawFileCaption(dc, s.layout, s.fileCaption, black);
}

void Repaint(DialogState& s) {
    RenderPanel(s);
    InvalidateRect(s.panel, nullptr, FALSE);
}

}  // namespace orvalis::dialog
