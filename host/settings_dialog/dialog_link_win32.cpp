#include "host/settings_dialog/dialog_window_win32.h"

#include <shellapi.h>

#include "common/dpi_win32.h"

namespace orvalis::dialog {
namespace {

void OpenLink(const DialogState& s) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    ShellExecuteA(s.window, "open", kAuthorUrl, nullptr, nullptr, SW_SHOWNORMAL);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

}  // namespace

// The hand in the system's cursor size for the DPI (32 x 32 at 96 dpi).
OwnedCursor MakeLinkCursor(HINSTANCE instance, int dpi) {
    const int size = SystemMetricForDpi(SM_CXCURSOR, dpi);
    if (size <= 0 || size == kCursorSize) {
        const CursorMasks masks = HandCursorMasks();
        return OwnedCursor(CreateCursor(instance, kCursorHotX, kCursorHotY, kCursorSize, kCursorSize,
                                        masks.andMask.data(), masks.xorMask.data()));
    }
    const SizedCursorMasks masks = HandCursorMasksForSize(size);
    return OwnedCursor(CreateCursor(instance, masks.hotX, masks.hotY, size, size, masks.andMask.data(),
                                    masks.xorMask.data()));
}

bool SetLinkCursor(const DialogState& s, HWND target, UINT hitTest) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(s.window, &p);
    if (target != s.window || hitTest != HTCLIENT || !Contains(s.layout.lblUrl, p)) return false;
    SetCursor(s.linkCursor.get());
    return true;
}

void PressLink(DialogState& s, POINT p) {
    s.urlPressed = Contains(s.layout.lblUrl, p);
}

// A click is a press and a release both on the link.
void ReleaseLink(DialogState& s, POINT p) {
    const bool click = s.urlPressed && Contains(s.layout.lblUrl, p);
    s.urlPressed = false;
    if (click) OpenLink(s);
}

}  // namespace orvalis::dialog
