#include "host/controls/command_win32.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "common/dib_section_win32.h"
#include "common/dpi_scale.h"
#include "common/dpi_win32.h"
#include "common/handles_win32.h"
#include "common/text_win32.h"
#include "common/window_state_win32.h"

namespace orvalis {

namespace {

constexpr UINT_PTR kTmrMouse = 1;

// The six face pictures as DIB sections, made once per process for each DPI a button is shown at.
class FaceBitmaps {
public:
    HBITMAP Get(FaceImage face, int dpi) {
        const std::pair<int, int> key(dpi, static_cast<int>(face));
        GdiBitmap& bitmap = bitmaps_[key];
        if (!bitmap) bitmap = dpi == kDesignDpi ? Make(face) : Make(BuildFacePicture(face, dpi));
        return bitmap.get();
    }

private:
    // The 96-dpi picture from its bitmap file.
    static GdiBitmap Make(FaceImage face) {
        const std::vector<uint8_t> bmp = FacePictureBmp(face);
        BITMAPINFO info{};
        std::memcpy(&info.bmiHeader, bmp.data() + 14, sizeof(BITMAPINFOHEADER));
        void* bits = nullptr;
        GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bitmap && bits)
            std::memcpy(bits, bmp.data() + kFaceBmpHeaderSize, bmp.size() - kFaceBmpHeaderSize);
        return bitmap;
    }

    static GdiBitmap Make(const ScaledFacePicture& picture) {
        uint32_t* bits = nullptr;
        GdiBitmap bitmap = CreateTopDownRgb32(picture.width, picture.height, bits);
        if (bits) std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(uint32_t));
        return bitmap;
    }

    std::map<std::pair<int, int>, GdiBitmap> bitmaps_;  // by DPI and face
};

FaceBitmaps& Faces() {
    static FaceBitmaps faces;
    return faces;
}

// A font made for `dpi`, as the 96-dpi size in points the property keeps.
ButtonFont FontFromLogFont(const LOGFONTW& lf, int dpi) {
    ButtonFont f;
    f.name = Utf8FromWide(lf.lfFaceName);
    f.size = ScaleFromDpi(std::abs(lf.lfHeight), dpi) * 72.0 / kDesignDpi;
    f.weight = static_cast<int16_t>(lf.lfWeight);
    f.italic = lf.lfItalic != 0;
    f.underline = lf.lfUnderline != 0;
    f.strikethrough = lf.lfStrikeOut != 0;
    f.charset = lf.lfCharSet;
    return f;
}

// Colours with the high bit set name a system colour, as containers store them.
COLORREF ToColorRef(int32_t colour) {
    const uint32_t c = static_cast<uint32_t>(colour);
    if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
    return c & 0xFFFFFF;
}

class CommandWindow final : public CommandHost {
public:
    explicit CommandWindow(HWND hwnd)
        : hwnd_(hwnd),
          model_(*this),
          surfaceDc_(CreateCompatibleDC(nullptr)),
          faceDc_(CreateCompatibleDC(nullptr)) {
        model_.Click = [this] {
            SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd_));
        };
    }

    Command& Model() { return model_; }

    void Resize(int width, int height) {
        const int dpi = WindowDpi(hwnd_);
        if (width == width_ && height == height_ && dpi == dpi_ && surface_) return;
        dpi_ = dpi;
        ReleaseSurface();
        width_ = width > 0 ? width : 0;
        height_ = height > 0 ? height : 0;
        if (width_ == 0 || height_ == 0) return;
        surface_ = CreateTopDownRgb32(width_, height_, bits_);
        if (!surface_ || !bits_) return;
        surfaceSelection_.emplace(surfaceDc_.get(), surface_.get());
    }

    bool ReadSurface(std::vector<uint32_t>& pixels, int& width, int& height) const {
        if (!surface_ || !bits_) return false;
        GdiFlush();
        width = width_;
        height = height_;
        pixels.assign(bits_, bits_ + static_cast<size_t>(width_) * height_);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return true;
    }

    // The control on screen: the retained face (or the parent behind it) and the caption over it.
    void Compose(HDC target) {
        RECT client;
        GetClientRect(hwnd_, &client);
        const int w = client.right;
        const int h = client.bottom;
        if (w <= 0 || h <= 0) return;
        const MemoryDc dc(CreateCompatibleDC(target));
        const GdiBitmap buffer(CreateCompatibleBitmap(target, w, h));
        const Selection selected(dc.get(), buffer.get());
        FillRect(dc.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
        if (model_.FaceOpaque()) {
            if (surface_) BitBlt(dc.get(), 0, 0, width_, height_, surfaceDc_.get(), 0, 0, SRCCOPY);
        } else {
            PaintParentBackground(dc.get());
        }
        DrawCaption(dc.get());
        BitBlt(target, 0, 0, w, h, dc.get(), 0, 0, SRCCOPY);
    }

    void SetPropertyChangedHandler(std::function<void(std::string_view)> handler) {
        propertyChanged_ = std::move(handler);
    }

    // CommandHost: the model works in 96-dpi pixels; the window draws them at its DPI.
    Rect SurfacePixels() const override { return {0, 0, DesignWidth(), DesignHeight()}; }

    void ClearSurface() override {
        if (!surface_) return;
        RECT r{0, 0, width_, height_};
        FillRect(surfaceDc_.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
    }

    void FillGradient(int32_t x0, int32_t y0, const GradientColour& top, int32_t x1, int32_t y1,
                      const GradientColour& bottom) override {
        if (!surface_) return;
        // The corners are pixels: the one after each is scaled as an edge, and the corner is the pixel
        // before it.
        const Rect r = ToSurface({x0, y0, x1 + 1 - x0, y1 + 1 - y0});
        TRIVERTEX v[2] = {
            {r.x, r.y, top.red, top.green, top.blue, top.alpha},
            {r.x + r.width - 1, r.y + r.height - 1, bottom.red, bottom.green, bottom.blue, bottom.alpha}};
        GRADIENT_RECT rect{0, 1};
        GradientFill(surfaceDc_.get(), v, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    }

    void CopyPiece(FaceImage face, const Rect& design, const Rect& destination) override {
        HBITMAP picture = Faces().Get(face, dpi_);
        if (!surface_ || !picture) return;
        const int pictureWidth = ScaleToDpi(kFaceWidth, dpi_);
        const int pictureHeight = ScaleToDpi(kFaceHeight, dpi_);
        const Rect s = ScaleFaceRect(design, kFaceWidth, kFaceHeight, pictureWidth, pictureHeight, dpi_);
        const Rect d = ToSurface(destination);
        const Selection selected(faceDc_.get(), picture);
        // Whole rows and columns are repeated or dropped; nothing is blended.
        SetStretchBltMode(surfaceDc_.get(), COLORONCOLOR);
        StretchBlt(surfaceDc_.get(), d.x, d.y, d.width, d.height, faceDc_.get(), s.x, s.y, s.width, s.height,
                   SRCCOPY);
    }

    void Present() override { InvalidateRect(hwnd_, nullptr, FALSE); }
    void LabelChanged() override { InvalidateRect(hwnd_, nullptr, FALSE); }
    void StartHoverTimer(int intervalMs) override { SetTimer(hwnd_, kTmrMouse, intervalMs, nullptr); }

    void NotifyPropertyChanged(std::string_view key) override {
        if (propertyChanged_) propertyChanged_(key);
    }

    FontRef AmbientFont() override {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd_), WM_GETFONT, 0, 0));
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        LOGFONTW lf{};
        if (!font || !GetObjectW(font, sizeof(lf), &lf)) return nullptr;
        return std::make_shared<ButtonFont>(FontFromLogFont(lf, dpi_));
    }

    void OnTimer() {
        POINT p;
        if (!GetCursorPos(&p)) return;
        HWND under = WindowFromPoint(p);
        HoverTarget target = under == hwnd_              ? HoverTarget::Control
                             : under == GetParent(hwnd_) ? HoverTarget::Parent
                                                         : HoverTarget::Other;
        model_.OnHoverTick(target);
    }

private:
    int DesignWidth() const { return ScaleFromDpi(width_, dpi_); }
    int DesignHeight() const { return ScaleFromDpi(height_, dpi_); }

    // A rectangle in 96-dpi pixels on the surface at the window's DPI.
    Rect ToSurface(const Rect& design) const {
        return ScaleFaceRect(design, DesignWidth(), DesignHeight(), width_, height_, dpi_);
    }

    void ReleaseSurface() {
        if (!surface_) return;
        surfaceSelection_.reset();
        surface_.reset();
        bits_ = nullptr;
    }

    // The label's font object may be changed in place: the GDI font follows it.
    HFONT CaptionFont() {
        const FontRef& f = model_.Label().font;
        if (!f) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        if (font_ && fontKey_ == *f && fontDpi_ == dpi_) return font_.get();
        font_.reset();
        fontKey_ = *f;
        fontDpi_ = dpi_;
        const int height = -ScaleToDpi(static_cast<int>(std::lround(f->size * kDesignDpi / 72)), dpi_);
        font_.reset(CreateFontW(height, 0, 0, 0, f->weight, f->italic, f->underline, f->strikethrough,
                                static_cast<DWORD>(f->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, WideFromUtf8(f->name).c_str()));
        return font_.get();
    }

    void DrawCaption(HDC dc) {
        const CaptionLabel& label = model_.Label();
        const std::wstring text = WideFromUtf8(label.text);
        if (text.empty()) return;
        RECT r;
        r.left = ScaleToDpi(TwipsToPixels(label.leftTwips), dpi_);
        r.top = ScaleToDpi(static_cast<int>(std::lround(label.topTwips / kTwipsPerPixel)), dpi_);
        r.right = r.left + ScaleToDpi(TwipsToPixels(label.widthTwips), dpi_);
        r.bottom = r.top + ScaleToDpi(TwipsToPixels(label.heightTwips), dpi_);
        const Selection font(dc, CaptionFont());
        SetBkMode(dc, TRANSPARENT);
        const UINT format = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
        if (label.enabled) {
            SetTextColor(dc, ToColorRef(label.colour));
            DrawTextW(dc, text.c_str(), -1, &r, format);
        } else {
            // The engraved look of disabled text: a highlight copy one pixel down and right.
            RECT shadow = r;
            OffsetRect(&shadow, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextW(dc, text.c_str(), -1, &shadow, format);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, text.c_str(), -1, &r, format);
        }
    }

    void PaintParentBackground(HDC dc) {
        HWND parent = GetParent(hwnd_);
        if (!parent) return;
        POINT origin{0, 0};
        MapWindowPoints(hwnd_, parent, &origin, 1);
        POINT old;
        SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
        SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
    }

    HWND hwnd_;
    Command model_;
    MemoryDc surfaceDc_;
    MemoryDc faceDc_;
    GdiBitmap surface_;
    std::optional<Selection> surfaceSelection_;  // surface_ in surfaceDc_ while there is a surface
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int dpi_ = kDesignDpi;
    GdiFont font_;
    ButtonFont fontKey_;
    int fontDpi_ = kDesignDpi;
    std::function<void(std::string_view)> propertyChanged_;
};

CommandWindow* FromWindow(HWND hwnd) {
    return WindowStateOf<CommandWindow>(hwnd);
}

int ButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return kLeftButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return kRightButton;
        default:
            return kMiddleButton;
    }
}

LRESULT OnButtonDown(HWND hwnd, CommandWindow& w, UINT message) {
    const int button = ButtonOf(message);
    // A left press takes the focus first, so the state moves before the pressed face is drawn.
    if (button == kLeftButton && GetFocus() != hwnd) SetFocus(hwnd);
    // Held buttons keep reporting to the control, so a release outside it still arrives here.
    SetCapture(hwnd);
    w.Model().OnMouseDown(button);
    return 0;
}

LRESULT OnButtonUp(HWND hwnd, CommandWindow& w, UINT message, WPARAM keys) {
    if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd) ReleaseCapture();
    w.Model().OnMouseUp(ButtonOf(message));
    return 0;
}

// The button's state is its own, whatever the creator passed: a container may create buttons with
// CreateWindowEx and its own creation parameter.
LRESULT OnNcCreate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    AttachWindowState(hwnd, new CommandWindow(hwnd));
    return DefWindowProcW(hwnd, WM_NCCREATE, wParam, lParam);
}

LRESULT OnNcDestroy(HWND hwnd, CommandWindow* w, WPARAM wParam, LPARAM lParam) {
    AttachWindowState<CommandWindow>(hwnd, nullptr);
    delete w;
    return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT OnCreate(CommandWindow& w, const CREATESTRUCTW& create) {
    w.Resize(create.cx, create.cy);
    return 0;
}

LRESULT OnSize(CommandWindow& w, LPARAM lParam) {
    w.Resize(LOWORD(lParam), HIWORD(lParam));
    w.Model().OnResize();
    return 0;
}

LRESULT OnPaint(HWND hwnd, CommandWindow& w) {
    const PaintDc dc(hwnd);
    w.Compose(dc.get());
    return 0;
}

LRESULT OnTimer(CommandWindow& w, WPARAM id) {
    if (id == kTmrMouse) w.OnTimer();
    return 0;
}

LRESULT CALLBACK CommandProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return OnNcCreate(hwnd, wParam, lParam);
    CommandWindow* w = FromWindow(hwnd);
    if (!w) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CREATE:
            return OnCreate(*w, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        case WM_SIZE:
            return OnSize(*w, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return OnPaint(hwnd, *w);
        case WM_PRINTCLIENT:
            w->Compose(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_MOUSEMOVE:
            w->Model().OnMouseMove();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            return OnButtonDown(hwnd, *w, message);
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return OnButtonUp(hwnd, *w, message, wParam);
        case WM_SETFOCUS:
            w->Model().OnGotFocus();
            return 0;
        case WM_KILLFOCUS:
            w->Model().OnLostFocus();
            return 0;
        case WM_TIMER:
            return OnTimer(*w, wParam);
        case WM_DESTROY:
            KillTimer(hwnd, kTmrMouse);
            return 0;
        case WM_NCDESTROY:
            return OnNcDestroy(hwnd, w, wParam, lParam);
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterCommandClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kCommandClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CommandProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kCommandClassName;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateCommand(HWND parent, int id, int x, int y, int width, int height, HINSTANCE instance) {
    if (!RegisterCommandClass(instance)) return nullptr;
    return CreateWindowExW(0, kCommandClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width, height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

Command* CommandFromWindow(HWND window) {
    wchar_t name[64];
    if (!window || !GetClassNameW(window, name, 64) || std::wcscmp(name, kCommandClassName) != 0)
        return nullptr;
    CommandWindow* w = FromWindow(window);
    return w ? &w->Model() : nullptr;
}

void SetPropertyChangedHandler(HWND window, std::function<void(std::string_view)> handler) {
    if (CommandFromWindow(window)) FromWindow(window)->SetPropertyChangedHandler(std::move(handler));
}

bool ReadCommandSurface(HWND window, std::vector<uint32_t>& pixels, int& width, int& height) {
    if (!CommandFromWindow(window)) return false;
    return FromWindow(window)->ReadSurface(pixels, width, height);
}

}  // namespace orvalis
