#include "renderer/win32/display_win32.h"

#include <utility>

#include "common/handles_win32.h"
#include "common/text_win32.h"

namespace orvalis {
namespace {

constexpr char kQuestionText[] = "フルスクリーンモード未対応 Use Windowed Mode Instead?";
constexpr char kQuestionCaption[] = "Kova GL";
// Black, borderless, topmost windows over the monitors the cloud is not drawn on.
constexpr char kCoverClassName[] = "OrvalisCover";

struct CoverState {
    RegisteredClass coverClass;
    std::vector<OwnedWindow> covers;
    HWND keyTarget = nullptr;
};

CoverState coverState;

// The display mode in use now; false when the system does not say.
bool CurrentDisplayMode(DEVMODEA& mode) {
    mode = DEVMODEA{};
    mode.dmSize = sizeof(mode);
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != FALSE;
}

class Win32DisplayMode final : public DisplayModeDevice {
public:
    bool TryFullscreen(int width, int height, int bits) override {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmPelsWidth = static_cast<DWORD>(width);
        mode.dmPelsHeight = static_cast<DWORD>(height);
        mode.dmBitsPerPel = static_cast<DWORD>(bits);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    }
    int CurrentDepth() override {
        DEVMODEA mode;
        return CurrentDisplayMode(mode) ? static_cast<int>(mode.dmBitsPerPel) : 0;
    }
    // NOTE: the question goes through the wide API so that its Japanese words show on any code page.
    bool AskWindowed() override {
        return MessageBoxW(nullptr, WideFromUtf8(kQuestionText).c_str(),
                           WideFromUtf8(kQuestionCaption).c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
};

ScreenRect FromRect(const RECT& rect) {
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(FromRect(info.rcMonitor));
    return TRUE;
}

ScreenRect RectOfMonitor(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return ScreenRect{};
    return FromRect(info.rcMonitor);
}

// NOTE: a cover must never take the activation from the render window (that ends a full-screen run) nor give
// it to a window under it: a click on it is eaten, and keys that reach it go on to the render window.
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATEANDEAT;
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (coverState.keyTarget != nullptr)
                return SendMessageA(coverState.keyTarget, message, wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterCoverClass(HINSTANCE instance) {
    if (coverState.coverClass) return true;
    WNDCLASSA coverClass{};
    coverClass.lpfnWndProc = CoverWindowProc;
    coverClass.hInstance = instance;
    // Painted black from the first erase, so no white shows while a cover appears.
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = kCoverClassName;
    coverState.coverClass = RegisteredClass(coverClass);
    return coverState.coverClass.valid();
}

}  // namespace

RenderWindowMode SwitchDisplayMode(int width, int height, int bits) {
    Win32DisplayMode display;
    switch (ChooseDisplayMode(display, width, height, bits)) {
        case DisplayOutcome::kFullscreen:
            return RenderWindowMode::kFullscreen;
        case DisplayOutcome::kWindowed:
            return RenderWindowMode::kWindowed;
        case DisplayOutcome::kAbandon:
            break;
    }
    return RenderWindowMode::kFailed;
}

void RestoreDisplayMode() {
    ChangeDisplaySettingsA(nullptr, 0);
}

int CurrentRefreshRate() {
    DEVMODEA mode;
    return CurrentDisplayMode(mode) ? static_cast<int>(mode.dmDisplayFrequency) : 0;
}

ScreenRect PrimaryMonitorRect() {
    return RectOfMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

ScreenRect MonitorRectOf(HWND window) {
    return RectOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

std::vector<ScreenRect> MonitorRects() {
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void AddCovers(HINSTANCE instance, HWND keyTarget, const std::vector<ScreenRect>& rects) {
    if (!RegisterCoverClass(instance)) return;
    coverState.keyTarget = keyTarget;
    for (const ScreenRect& rect : rects) {
        OwnedWindow cover(CreateWindowExA(
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClassName, "", WS_POPUP, rect.left,
            rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr));
        if (!cover) continue;
        coverState.covers.push_back(std::move(cover));
        SetWindowPos(coverState.covers.back().get(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void SetCoverKeyTarget(HWND keyTarget) {
    coverState.keyTarget = keyTarget;
}

void RemoveCovers(bool unregister) {
    coverState.covers.clear();
    coverState.keyTarget = nullptr;
    if (unregister) coverState.coverClass.reset();
}

}  // namespace orvalis
