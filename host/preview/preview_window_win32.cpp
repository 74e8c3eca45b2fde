#include "host/preview/preview_window_win32.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/dib_section_win32.h"
#include "common/dpi_scale.h"
#include "common/dpi_win32.h"
#include "common/handles_win32.h"
#include "common/window_state_win32.h"
#include "host/host_resources.h"

namespace orvalis {
namespace {

constexpr const wchar_t* kPreviewClass = L"OrvalisPreview";
constexpr const wchar_t* kImageClass = L"OrvalisImage";

// The preview window's state, shared with its picture control Img_Prev; the pictures go when the preview
// is destroyed.
struct PreviewState {
    GdiBitmap picture;  // 152 x 112, for 96 dpi
    GdiBitmap large;    // 304 x 224, for 200 %
    GdiBitmap scaled;   // the large one brought to another DPI's size
    int scaledDpi = 0;
};

// One preview per process, as there is one saver run.
PreviewState previewState;

// A bitmap's pixels as 0xRRGGBB, rows top first.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = TopDownRgb32Info(width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
        height)
        return {};
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

GdiBitmap BitmapOf(const std::vector<uint32_t>& pixels, int width, int height) {
    uint32_t* bits = nullptr;
    GdiBitmap bitmap = CreateTopDownRgb32(width, height, bits);
    if (bits) std::copy(pixels.begin(), pixels.end(), bits);
    return bitmap;
}

// The picture for a DPI: its own at 96 dpi and the large one at 200 %; in between and beyond, the large
// one brought smoothly to 152 x 112 times dpi / 96 (made once for the DPI).
HBITMAP PictureFor(PreviewState& s, int dpi) {
    const int largeWidth = 2 * kPreviewWidth;
    const int largeHeight = 2 * kPreviewHeight;
    if (dpi == kDesignDpi || !s.large) return s.picture.get();
    if (dpi == 2 * kDesignDpi) return s.large.get();
    if (s.scaled && s.scaledDpi == dpi) return s.scaled.get();
    const std::vector<uint32_t> pixels = PixelsOf(s.large.get(), largeWidth, largeHeight);
    if (pixels.empty()) return s.picture.get();
    const int width = ScaleToDpi(kPreviewWidth, dpi);
    const int height = ScaleToDpi(kPreviewHeight, dpi);
    s.scaled = BitmapOf(ResamplePixels(pixels, largeWidth, largeHeight, width, height), width, height);
    s.scaledDpi = dpi;
    return s.scaled ? s.scaled.get() : s.picture.get();
}

// Img_Prev: draws its picture at the picture's own size for the window's DPI from the top-left corner; the
// black class background fills the rest.
LRESULT OnImagePaint(HWND window, PreviewState& s) {
    PaintDc dc(window);
    HBITMAP picture = PictureFor(s, WindowDpi(window));
    BITMAP info = {};
    if (picture && GetObjectW(picture, sizeof info, &info)) {
        MemoryDc source(CreateCompatibleDC(dc.get()));
        Selection selected(source.get(), picture);
        BitBlt(dc.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    return 0;
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PreviewState* s = StateForMessage<PreviewState>(window, message, lParam);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            return OnImagePaint(window, *s);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OnPreviewCreate(HWND window, PreviewState& s, const CREATESTRUCTW& create) {
    // The picture's design size; HostMain gives it the parent's size when it embeds the window.
    // Without its picture the preview still shows black, as any failed step leaves it.
    // cppcheck-suppress ignoredReturnValue
    CreateWindowExW(0, kImageClass, L"Img_Prev", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kImgPrevId)), create.hInstance, &s);
    return 0;
}

LRESULT OnPreviewDestroy(PreviewState& s) {
    // The preview is the host's only window: when the preview area goes away, so does the host.
    s.picture.reset();
    s.large.reset();
    s.scaled.reset();
    s.scaledDpi = 0;
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PreviewState* s = StateForMessage<PreviewState>(window, message, lParam);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE:
            return OnPreviewCreate(window, *s, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        case WM_DESTROY:
            return OnPreviewDestroy(*s);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

HBITMAP LoadPicture(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

HWND CreatePreviewWindow(HINSTANCE instance, HWND parent) {
    RegisterWindowClass(instance, kPreviewClass, PreviewProc);
    RegisterWindowClass(instance, kImageClass, ImageProc);
    previewState.picture.reset(LoadPicture(instance, IDB_PREVIEW));
    previewState.large.reset(LoadPicture(instance, IDB_PREVIEW_LARGE));
    // A window of another DPI awareness than its parent would be measured, or refused, across the
    // SetParent: the preview is made in the parent's.
    const DpiAwarenessScope awareness(parent);
    HWND window = CreateWindowExW(0, kPreviewClass, L"Preview Window", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, &previewState);
    if (!window) {
        previewState.picture.reset();
        previewState.large.reset();
    }
    return window;
}

bool EmbedPreviewWindow(HWND preview, HWND parent) {
    if (!IsWindow(parent)) return false;
    // The parent's rectangle in its own units, which are the preview's as well.
    const DpiAwarenessScope awareness(parent);
    RECT area = {};
    GetWindowRect(parent, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    // A child window may not keep the pop-up style the hidden window was made with.
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    SetWindowLongW(preview, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
    SetParent(preview, parent);
    MoveWindow(preview, 0, 0, width, height, FALSE);
    HWND image = GetDlgItem(preview, kImgPrevId);
    MoveWindow(image, 0, 0, width, height, FALSE);
    ShowWindow(preview, SW_SHOWNOACTIVATE);
    return true;
}

}  // namespace orvalis
