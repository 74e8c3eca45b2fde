#include "host/preview/preview_window_win32.h"

#include "common/handles_win32.h"
#include "common/window_state_win32.h"
#include "host/host_resources.h"

namespace orvalis {
namespace {

constexpr const wchar_t* kPreviewClass = L"OrvalisPreview";
constexpr const wchar_t* kImageClass = L"OrvalisImage";

// The preview window's state, shared with its picture control Img_Prev; the picture goes when the preview
// is destroyed.
struct PreviewState {
    GdiBitmap picture;
};

// One preview per process, as there is one saver run.
PreviewState previewState;

// Img_Prev: draws its picture at the picture's own size from the top-left corner; the black class
// background fills the rest.
LRESULT OnImagePaint(HWND window, const PreviewState& s) {
    PaintDc dc(window);
    HBITMAP picture = s.picture.get();
    BITMAP info = {};
    if (picture && GetObjectW(picture, sizeof info, &info)) {
        MemoryDc source(CreateCompatibleDC(dc.get()));
        Selection selected(source.get(), picture);
        BitBlt(dc.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    return 0;
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const PreviewState* s = StateForMessage<PreviewState>(window, message, lParam);
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

}  // namespace

HWND CreatePreviewWindow(HINSTANCE instance) {
    RegisterWindowClass(instance, kPreviewClass, PreviewProc);
    RegisterWindowClass(instance, kImageClass, ImageProc);
    previewState.picture.reset(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_PREVIEW), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    HWND window = CreateWindowExW(0, kPreviewClass, L"Preview Window", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, &previewState);
    if (!window) previewState.picture.reset();
    return window;
}

bool EmbedPreviewWindow(HWND preview, HWND parent) {
    if (!IsWindow(parent)) return false;
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
