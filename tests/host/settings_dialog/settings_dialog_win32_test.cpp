// The settings window in-process: the caption zoom it asks for when it opens and closes.
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
