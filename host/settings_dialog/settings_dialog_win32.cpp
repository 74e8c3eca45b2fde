#include "host/settings_dialog/settings_dialog_win32.h"

#include <cstdint>
#include <string>

#include "common/contract.h"
#include "common/dpi_win32.h"
#include "common/text_win32.h"
#include "common/window_state_win32.h"
#include "host/controls/command_win32.h"
#include "host/host_resources.h"
#include "host/settings/settings.h"
#include "host/settings_dialog/dialog_window_win32.h"

namespace orvalis {
namespace dialog {
namespace {

constexpr wchar_t kWindowClass[] = L"Veyra.Settings";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kWmDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

AnimatedRectsFunction animatedRects = &DrawAnimatedRects;

// The point the caption zoom starts from and returns to: the pointer when the dialog opened.
struct {
    int16_t x = 0;
    int16_t y = 0;
} animationOrigin;

void Animate(HWND window, const Zoom& zoom) {
    const RECT from{zoom.from.left, zoom.from.top, zoom.from.right, zoom.from.bottom};
    const RECT to{zoom.to.left, zoom.to.top, zoom.to.right, zoom.to.bottom};
    animatedRects(window, IDANI_CAPTION, &from, &to);
}

ScreenRect WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void ShowOpenAnimation(HWND window) {
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        animationOrigin = {static_cast<int16_t>(cursor.x), static_cast<int16_t>(cursor.y)};
    } else {
        animationOrigin = {0, 0};
    }
    Animate(window, OpenZoom({animationOrigin.x, animationOrigin.y}, WindowRect(window)));
}

void ShowCloseAnimation(HWND window) {
    Animate(window, CloseZoom({animationOrigin.x, animationOrigin.y}, WindowRect(window)));
}

// Centred across the window's monitor, its top at a third of the free height there.
void PlaceWindow(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        screen = monitor.rcMonitor;
    const Point at = DialogPosition(screen.right - screen.left, screen.bottom - screen.top,
                                    outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(window, nullptr, screen.left + at.x, screen.top + at.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The frame around the client area at the layout's DPI.
SIZE FrameSize(const DialogLayout& layout) {
    RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectForDpi(frame, kStyle, kExStyle, layout.dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void FillRepeatBox(HWND repeatBox) {
    const std::wstring repeatText = WideFromAnsi(RepeatNumberText(SaverSettings.bgmRepeat));
    SetWindowTextW(repeatBox, repeatText.c_str());
    for (const std::string& item : RepeatListItems()) {
        const std::wstring text = WideFromAnsi(item);
        SendMessageW(repeatBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

// Load, in its order; each step that fails is passed over.
void Load(DialogState& s) {
    PlaceWindow(s.window);
    InitializeButtons(s);
    EnableWindow(s.repeatBox, FALSE);
    s.fileCaption = SaverSettings.bgmFile;
    ApplyChoice(s, SaverSettings.bgmKind);
    FillRepeatBox(s.repeatBox);
    RenderWindow(s);
    RenderPanel(s);
    ShowOpenAnimation(s.window);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

LRESULT OnPaint(HWND window, const Surface* surface) {
    const PaintDc dc(window);
    if (surface != nullptr) surface->CopyTo(dc.get());
    return 0;
}

LRESULT OnSetCursor(DialogState& s, WPARAM wParam, LPARAM lParam) {
    if (SetLinkCursor(s, reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
    return DefWindowProcW(s.window, WM_SETCURSOR, wParam, lParam);
}

LRESULT OnSize(DialogState& s) {
    if (s.panel != nullptr) {
        RenderWindow(s);
        RenderPanel(s);
        InvalidateRect(s.window, nullptr, FALSE);
    }
    return 0;
}

// Dragged onto a monitor of another scale: everything again at the new DPI, in the rectangle the system
// suggests.
LRESULT OnDpiChanged(DialogState& s, WPARAM wParam, LPARAM lParam) {
    ApplyDpi(s, HIWORD(wParam));
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(s.window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RenderWindow(s);
    RenderPanel(s);
    RedrawWindow(s.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return 0;
}

LRESULT OnCommand(DialogState& s, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    switch (LOWORD(wParam)) {
        case kIdCmdFile:
            ChooseFile(s);
            break;
        case kIdCmdSet:
            Save(s);
            break;
        case kIdCmdCan:
            Unload(s);
            break;
        default:
            break;
    }
    return 0;
}

LRESULT OnNcDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    AttachWindowState<DialogState>(window, nullptr);
    return DefWindowProcW(window, WM_NCDESTROY, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* s = StateForMessage<DialogState>(window, message, lParam);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            s->window = window;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_PAINT:
            return OnPaint(window, &s->windowSurface);
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            return OnSize(*s);
        case WM_SETCURSOR:
            return OnSetCursor(*s, wParam, lParam);
        case WM_LBUTTONDOWN:
            PressLink(*s, PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
            ReleaseLink(*s, PointOf(lParam));
            return 0;
        case WM_COMMAND:
            return OnCommand(*s, wParam);
        case kWmDpiChanged:
            return OnDpiChanged(*s, wParam, lParam);
        case WM_CLOSE:
            Unload(*s);
            return 0;
        case WM_DESTROY:
            s->destroyed = true;
            return 0;
        case WM_NCDESTROY:
            return OnNcDestroy(window, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Any mouse button on a mark or its caption picks that row.
LRESULT OnPanelMouseDown(DialogState& s, POINT p) {
    for (int i = 0; i < 3; ++i) {
        const auto index = static_cast<size_t>(i);
        if (Contains(s.layout.imgBgm[index], p) || Contains(s.layout.lblBgm[index], p)) {
            SelectMusicSource(s, i);
            break;
        }
    }
    return 0;
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* s = WindowStateOf<DialogState>(GetParent(panel));
    switch (message) {
        case WM_PAINT:
            return OnPaint(panel, s != nullptr ? &s->panelSurface : nullptr);
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (s != nullptr) OnPanelMouseDown(*s, PointOf(lParam));
            return 0;
        case WM_COMMAND:
            // Commands of the panel's children go to the window, which handles them all.
            return SendMessageW(GetParent(panel), message, wParam, lParam);
        default:
            return DefWindowProcW(panel, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVALIS));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = wc.hCursor;
    panel.hbrBackground = CreateSolidBrush(RGB(224, 224, 224));
    panel.lpszClassName = kPanelClass;
    return RegisterClassExW(&panel) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The window at the 96-dpi size first; once it knows its monitor, the size for that monitor's DPI.
HWND CreateDialogWindow(DialogState& state) {
    const SIZE design = FrameSize(state.layout);
    // The caption is ASCII and other instances look for it by its exact bytes.
    const std::wstring caption = WideFromAnsi(kSettingsWindowTitle);
    HWND window =
        CreateWindowExW(kExStyle, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        design.cx, design.cy, nullptr, nullptr, state.instance, &state);
    if (window == nullptr) return nullptr;
    state.layout = LayoutForDpi(WindowDpi(window));
    const SIZE frame = FrameSize(state.layout);
    if (frame.cx != design.cx || frame.cy != design.cy)
        SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}

void RunModalLoop(const DialogState& state) {
    MSG msg;
    while (!state.destroyed && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(state.window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

RECT ToRect(const LayoutRect& r) {
    return {r.left, r.top, r.left + r.width, r.top + r.height};
}

bool Contains(const LayoutRect& r, POINT p) {
    return p.x >= r.left && p.x < r.left + r.width && p.y >= r.top && p.y < r.top + r.height;
}

POINT PointOf(LPARAM lParam) {
    return {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}

// The window's messages: a warning the user dismisses with OK, under the program's name.
void ShowWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), WideFromUtf8("Orvalis (ScreenSaver)").c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

void Unload(DialogState& s) {
    if (s.closing) return;
    s.closing = true;
    ShowCloseAnimation(s.window);
    DestroyWindow(s.window);
}

}  // namespace dialog

void SetAnimatedRectsFunction(AnimatedRectsFunction function) {
    dialog::animatedRects = function != nullptr ? function : &DrawAnimatedRects;
}

void ShowSettingsDialog(HINSTANCE instance) {
    if (!RegisterCommandClass(instance) || !dialog::RegisterClasses(instance)) return;

    dialog::DialogState state;
    state.instance = instance;
    HWND window = dialog::CreateDialogWindow(state);
    if (window == nullptr) return;
    dialog::CreateControls(state);
    dialog::Load(state);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    if (state.repeatBox != nullptr && IsWindowEnabled(state.repeatBox)) SetFocus(state.repeatBox);
    dialog::RunModalLoop(state);
}

}  // namespace orvalis
