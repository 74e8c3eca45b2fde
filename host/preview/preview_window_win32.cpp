#include "host/preview/preview_window_win32.h"

#include "host/host_resources.h"

namespace orvalis {
namespace {

constexpr const wchar_t* kPreviewClass = L"OrvalisPreview";
constexpr const wchar_t* kImageClass = L"OrvalisImage";

// Img_Prev: draws its picture at the picture's own size from the top-left corner; the black class
// background fills the rest.
LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
            BITMAP info = {};
            if (picture && GetObjectW(picture, sizeof info, &info)) {
                HDC source = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(source, picture);
                BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
            EndPaint(window, &paint);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_CREATE: {
            auto instance = reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance;
            // The picture's design size; HostMain gives it the parent's size when it embeds the window.
            // Without its picture the preview still shows black, as any failed step leaves it.
            // cppcheck-suppress ignoredReturnValue
            CreateWindowExW(0, kImageClass, L"Img_Prev", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kImgPrevId)), instance,
                            reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
            return 0;
        }
        case WM_DESTROY: {
            // The preview is the host's only window: when the preview area goes away, so does the host.
            auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (picture) DeleteObject(picture);
            PostQuitMessage(0);
            return 0;
        }
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
    auto picture = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_PREVIEW), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HWND window = CreateWindowExW(0, kPreviewClass, L"Preview Window", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, picture);
    if (!window && picture) DeleteObject(picture);
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
