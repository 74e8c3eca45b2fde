#include "host/settings_dialog/dialog_window_win32.h"

#include <shellapi.h>

namespace orvalis::dialog {
namespace {

void OpenLink(const DialogState& s) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    ShellExecuteA(s.window, "open", kAuthorUrl, nullptr, nullptr, SW_SHOWNORMAL);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

}  // namespace

OwnedCursor MakeLinkCursor(HINSTANCE instance) {
    const CursorMasks masks = HandCursorMasks();
    return OwnedCursor(CreateCursor(instance, kCursorHotX, kCursorHotY, kCursorSize, kCursorSize,
                                    masks.andMask.data(), masks.xorMask.data()));
}

bool SetLinkCursor(const DialogState& s, HWND target, UINT hitTest) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(s.window, &p);
    if (target != s.window || hitTest != HTCLIENT || !Contains(kLblUrl, p)) return false;
    SetCursor(s.linkCursor.get());
    return true;
}

void PressLink(DialogState& s, POINT p) {
    s.urlPressed = Contains(kLblUrl, p);
}

// A click is a press and a release both on the link.
void ReleaseLink(DialogState& s, POINT p) {
    const bool click = s.urlPressed && Contains(kLblUrl, p);
    s.urlPressed = false;
    if (click) OpenLink(s);
}

}  // namespace orvalis::dialog
