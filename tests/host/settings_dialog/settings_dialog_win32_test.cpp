// The settings window in-process: the caption zoom it asks for when it opens and closes, and its layout
// after a change of DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "host/settings/settings.h"
#include "host/settings_dialog/settings_dialog_win32.h"

namespace {

struct Zoom {
    HWND window;
    int kind;
    RECT from, to;
};
std::vector<Zoom> zooms;

BOOL WINAPI RecordZoom(HWND window, int kind, const RECT* from, const RECT* to) {
    zooms.push_back({window, kind, *from, *to});
    return TRUE;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT shownRect{};

// Closes the dialog through its close box as soon as it shows, noting where it stood.
void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA(nullptr, "<Orvalis>");
    if (dialog != nullptr && IsWindowVisible(dialog)) {
        GetWindowRect(dialog, &shownRect);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

}  // namespace

TEST(SettingsDialogWindow, CaptionZoomsOutOfThePointerAndBackIntoIt) {
    orvalis::SaverSettings = {};
    orvalis::SaverSettings.bgmKind = 1;
    SetCursorPos(40, 30);
    POINT pointer{};
    GetCursorPos(&pointer);

    zooms.clear();
    orvalis::SetAnimatedRectsFunction(&RecordZoom);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseWhenShown);
    orvalis::ShowSettingsDialog(GetModuleHandleW(nullptr));
    KillTimer(nullptr, timer);
    orvalis::SetAnimatedRectsFunction(nullptr);

    EXPECT_EQ(FindWindowA(nullptr, "<Orvalis>"), nullptr) << "the close box destroys the window";
    ASSERT_EQ(zooms.size(), 2u);
    const RECT point{pointer.x, pointer.y, pointer.x, pointer.y};
    EXPECT_EQ(zooms[0].kind, IDANI_CAPTION);
    EXPECT_TRUE(Same(zooms[0].from, point));
    EXPECT_TRUE(Same(zooms[0].to, shownRect)) << "opening ends where the window then shows";
    EXPECT_EQ(zooms[1].kind, IDANI_CAPTION);
    EXPECT_TRUE(Same(zooms[1].from, shownRect));
    EXPECT_TRUE(Same(zooms[1].to, point)) << "closing shrinks back into the same point";
    // The window is centred across the screen with its top at a third of the free height.
    const int width = shownRect.right - shownRect.left;
    const int height = shownRect.bottom - shownRect.top;
    EXPECT_EQ(shownRect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(shownRect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 3);
}

namespace {

struct Placed {
    RECT client{};
    std::vector<RECT> children;  // in the window's client coordinates, in Z order
} afterDpiChange;
RECT suggested{};

BOOL CALLBACK NoteChild(HWND child, LPARAM) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    wchar_t name[32];
    GetClassNameW(child, name, 32);
    if (lstrcmpiW(name, L"Edit") != 0) afterDpiChange.children.push_back(r);
    return TRUE;
}

// Tells the shown dialog it now stands on a 200 % monitor, notes where everything went, and closes it.
void CALLBACK MoveToA200PercentMonitor(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA(nullptr, "<Orvalis>");
    if (dialog == nullptr || !IsWindowVisible(dialog) || afterDpiChange.client.right != 0) return;
    RECT frame{0, 0, 992, 486};
    AdjustWindowRectEx(&frame, GetWindowLongW(dialog, GWL_STYLE), FALSE, GetWindowLongW(dialog, GWL_EXSTYLE));
    suggested = {20, 10, 20 + frame.right - frame.left, 10 + frame.bottom - frame.top};
    SendMessageW(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    GetClientRect(dialog, &afterDpiChange.client);
    EnumChildWindows(dialog, NoteChild, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

bool HasRect(const std::vector<RECT>& rects, const RECT& want) {
    for (const RECT& r : rects)
        if (Same(r, want)) return true;
    return false;
}

}  // namespace

// Dragged onto a monitor of another scale, the window lays itself out at the new DPI in the rectangle the
// system suggests, and closes with the caption zoom from that rectangle.
TEST(SettingsDialogWindow, LaysItselfOutAgainWhenItsDpiChanges) {
    orvalis::SaverSettings = {};
    orvalis::SaverSettings.bgmKind = 1;
    zooms.clear();
    afterDpiChange = {};
    orvalis::SetAnimatedRectsFunction(&RecordZoom);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &MoveToA200PercentMonitor);
    orvalis::ShowSettingsDialog(GetModuleHandleW(nullptr));
    KillTimer(nullptr, timer);
    orvalis::SetAnimatedRectsFunction(nullptr);

    EXPECT_EQ(afterDpiChange.client.right, 992);
    EXPECT_EQ(afterDpiChange.client.bottom, 486);
    const std::vector<RECT>& c = afterDpiChange.children;
    EXPECT_TRUE(HasRect(c, {24, 32, 24 + 938, 32 + 330})) << "the panel";
    EXPECT_TRUE(HasRect(c, {648, 400, 648 + 154, 400 + 50})) << "Set";
    EXPECT_TRUE(HasRect(c, {808, 400, 808 + 154, 400 + 50})) << "Cancel";
    EXPECT_TRUE(HasRect(c, {24 + 56, 32 + 232, 24 + 56 + 82, 32 + 232 + 42})) << "the file button";
    EXPECT_TRUE(HasRect(c, {24 + 224, 32 + 104, 24 + 224 + 82, 32 + 104 + 40})) << "the track box";
    ASSERT_EQ(zooms.size(), 2u);
    EXPECT_TRUE(Same(zooms[1].from, suggested)) << "the close zoom starts from the new rectangle";
}
