#include "renderer/render_shell_win32.h"

#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "renderer/particle_emitter.h"
#include "renderer/render_shell_logic.h"
#include "renderer/dib_message_win32.h"
#include "renderer/texture_loader_win32.h"

namespace orvalis {

static_assert(kWmSize == WM_SIZE && kWmActivate == WM_ACTIVATE && kWmClose == WM_CLOSE);
static_assert(kWmGetMinMaxInfo == WM_GETMINMAXINFO);
static_assert(kWmKeyDown == WM_KEYDOWN && kWmKeyUp == WM_KEYUP && kWmSysCommand == WM_SYSCOMMAND);
static_assert(kWmDpiChanged == WM_DPICHANGED && kWmDisplayChange == WM_DISPLAYCHANGE);
static_assert(kScScreenSave == SC_SCREENSAVE && kScMonitorPower == SC_MONITORPOWER && kVkEscape == VK_ESCAPE);

int colorBits = 0;
bool fullscreenMode = true;

namespace {

constexpr char kClassName[] = "OpenGL";
constexpr char kQuestionText[] = "フルスクリーンモード未対応 Use Windowed Mode Instead?";
constexpr char kQuestionCaption[] = "Kova GL";

HINSTANCE instance = nullptr;
HWND renderWindow = nullptr;
HDC renderDc = nullptr;
HGLRC renderContext = nullptr;
ShellInput input;  // the key table, windowActive and the flags the loop reads
bool cursorHidden = false;
HPOWERNOTIFY displayStateNotification = nullptr;
float angleX = SceneAngles{}.x;
float angleY = SceneAngles{}.y;
float angleZ = SceneAngles{}.z;
std::unique_ptr<ParticleEmitter> theEmitter;

// Outer size of the window for the requested client area; the window may always grow to it.
SIZE fullFrameSize{0, 0};

int requestedSwapInterval = kSwapIntervalFromRefresh;
int swapInterval = 0;  // the interval asked of the driver, 0 when none was
bool swapIntervalApplied = false;
int refreshRate = 0;  // of the display mode in use, 0 or 1 when the system does not know it

// Black, borderless, topmost windows over the monitors the cloud is not drawn on.
constexpr char kCoverClassName[] = "OrvalisCover";
std::vector<HWND> covers;
bool coverClassRegistered = false;

// The console display's on/off notifications (GUID_CONSOLE_DISPLAY_STATE).
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// clang-format off
PIXELFORMATDESCRIPTOR pixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    0,  // colour depth, filled in on the first window creation
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    16,  // depth buffer
    0,
    0,
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};
// clang-format on
bool pixelFormatFilled = false;
long long framesDrawn = 0;

std::wstring WideFromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length - 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
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
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
        return static_cast<int>(mode.dmBitsPerPel);
    }
    // NOTE: the question goes through the wide API so that its Japanese words show on any code page.
    bool AskWindowed() override {
        return MessageBoxW(nullptr, WideFromUtf8(kQuestionText).c_str(),
                           WideFromUtf8(kQuestionCaption).c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
};

// NOTE: wglGetProcAddress returns a generic pointer; the cast goes through void (*)() to the real type.
template <typename Function>
Function GlExtension(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

// Asks the driver for the requested swap interval when it offers WGL_EXT_swap_control.
void ApplySwapInterval() {
    using GetExtensionsStringExt = const char*(WINAPI*)();
    using SwapIntervalExt = BOOL(WINAPI*)(int);
    swapIntervalApplied = false;
    const char* extensions = nullptr;
    if (auto getExtensions = GlExtension<GetExtensionsStringExt>("wglGetExtensionsStringEXT")) {
        extensions = getExtensions();
    }
    bool offered = extensions && HasExtension(extensions, "WGL_EXT_swap_control");
    if (!offered) {
        const char* glExtensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        offered = glExtensions && HasExtension(glExtensions, "WGL_EXT_swap_control");
    }
    if (!offered) return;
    auto setSwapInterval = GlExtension<SwapIntervalExt>("wglSwapIntervalEXT");
    if (setSwapInterval) swapIntervalApplied = setSwapInterval(swapInterval) != FALSE;
}

int CurrentRefreshRate() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    return static_cast<int>(mode.dmDisplayFrequency);
}

void HideCursor() {
    if (cursorHidden) return;
    ShowCursor(FALSE);
    cursorHidden = true;
}

// Brings the pointer back (once) for a message box or the end of the run.
void RevealCursor() {
    if (!cursorHidden) return;
    ShowCursor(TRUE);
    cursorHidden = false;
}

void ShowTextureMessage(const char* text) {
    RevealCursor();
    ShowDibMessageBox(text);
}

ScreenRect FromRect(const RECT& rect) {
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info)) reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(FromRect(info.rcMonitor));
    return TRUE;
}

// The rectangle of the monitor that shows the origin (the primary one, whose mode was changed), in pixels.
ScreenRect PrimaryMonitorRect() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return ScreenRect{};
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
            if (renderWindow) return SendMessageA(renderWindow, message, wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void DestroyCovers() {
    for (HWND cover : covers) DestroyWindow(cover);
    covers.clear();
}

// Covers every monitor but the render window's own, from the layout the system reports now.
void CreateCovers() {
    DestroyCovers();
    if (!fullscreenMode || !renderWindow) return;
    if (!coverClassRegistered) {
        WNDCLASSA coverClass{};
        coverClass.lpfnWndProc = CoverWindowProc;
        coverClass.hInstance = instance;
        // Painted black from the first erase, so no white shows while a cover appears.
        coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        coverClass.lpszClassName = kCoverClassName;
        coverClassRegistered = RegisterClassA(&coverClass) != 0;
        if (!coverClassRegistered) return;
    }
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    MONITORINFO drawn{};
    drawn.cbSize = sizeof(drawn);
    GetMonitorInfoA(MonitorFromWindow(renderWindow, MONITOR_DEFAULTTOPRIMARY), &drawn);
    for (const ScreenRect& rect : CoverRects(monitors, FromRect(drawn.rcMonitor), fullscreenMode)) {
        HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClassName, "",
                                     WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                     rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
        if (!cover) continue;
        covers.push_back(cover);
        SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void HandleDisplayState(LPARAM lParam) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting == nullptr || setting->PowerSetting != kConsoleDisplayState) return;
    if (setting->DataLength < sizeof(DWORD)) return;
    DWORD state = 0;
    CopyMemory(&state, setting->Data, sizeof(state));
    NoteDisplayState(input, state);
}

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

// Waits up to `ms` milliseconds, waking at once for any message. A high-resolution waitable timer keeps the
// frame period exact where the system's default timer tick (about 15.6 ms) would halve the rate.
class FrameWaiter {
public:
    FrameWaiter() {
        constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
        if (!timer_) timer_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
    ~FrameWaiter() {
        if (timer_) CloseHandle(timer_);
    }
    FrameWaiter(const FrameWaiter&) = delete;
    FrameWaiter& operator=(const FrameWaiter&) = delete;

    void Wait(double ms) {
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(ms * 10000.0);  // relative, in 100 ns units
        if (timer_ && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
            MsgWaitForMultipleObjects(1, &timer_, FALSE, INFINITE, QS_ALLINPUT);
            CancelWaitableTimer(timer_);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::ceil(ms)), QS_ALLINPUT);
        }
    }

private:
    HANDLE timer_ = nullptr;
};

}  // namespace

void SetRequestedSwapInterval(int interval) {
    requestedSwapInterval = interval;
}
int SwapInterval() {
    return swapIntervalApplied ? swapInterval : 0;
}
bool SwapIntervalApplied() {
    return swapIntervalApplied;
}

bool CreateRenderWindow(const char* title, int width, int height, int bits, bool fullscreen) {
    fullscreenMode = fullscreen;
    instance = GetModuleHandleA(nullptr);
    input = ShellInput{};

    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = RenderWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return false;

    if (fullscreenMode) {
        Win32DisplayMode display;
        switch (ChooseDisplayMode(display, width, height, bits)) {
            case DisplayOutcome::kFullscreen:
                break;
            case DisplayOutcome::kWindowed:
                fullscreenMode = false;
                break;
            case DisplayOutcome::kAbandon:
                // Only the class exists here.
                UnregisterClassA(kClassName, instance);
                return false;
        }
    }

    DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    ScreenRect frame{0, 0, width, height};
    if (fullscreenMode) {
        extendedStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        HideCursor();
        // The monitor's own rectangle after the mode change, in real pixels whatever its scaling.
        frame = FullscreenWindowRect(PrimaryMonitorRect(), width, height);
    } else {
        RECT rect{0, 0, width, height};
        AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
        frame = ScreenRect{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    }
    fullFrameSize = SIZE{frame.right - frame.left, frame.bottom - frame.top};

    renderWindow = CreateWindowExA(extendedStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   frame.left, frame.top, fullFrameSize.cx, fullFrameSize.cy, nullptr, nullptr,
                                   instance, nullptr);
    if (!renderWindow) {
        DestroyRenderWindow();
        return false;
    }

    if (!pixelFormatFilled) {
        pixelFormat.cColorBits = static_cast<BYTE>(bits);
        pixelFormatFilled = true;
    }
    renderDc = GetDC(renderWindow);
    const int format = renderDc ? ChoosePixelFormat(renderDc, &pixelFormat) : 0;
    if (!format || !SetPixelFormat(renderDc, format, &pixelFormat)) {
        DestroyRenderWindow();
        return false;
    }
    renderContext = wglCreateContext(renderDc);
    if (!renderContext || !wglMakeCurrent(renderDc, renderContext)) {
        DestroyRenderWindow();
        return false;
    }
    refreshRate = CurrentRefreshRate();
    swapInterval = requestedSwapInterval == kSwapIntervalFromRefresh ? SwapIntervalForRefresh(refreshRate)
                                                                      : requestedSwapInterval;
    swapIntervalApplied = false;
    if (swapInterval > 0) ApplySwapInterval();
    displayStateNotification =
        RegisterPowerSettingNotification(renderWindow, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);

    ShowWindow(renderWindow, SW_SHOW);
    SetForegroundWindow(renderWindow);
    SetFocus(renderWindow);
    CreateCovers();
    const ScreenRect client = fullscreenMode ? frame : ScreenRect{0, 0, width, height};
    ResizeViewport(client.right - client.left, client.bottom - client.top);

    // The pointer comes back before the texture reader shows any message.
    SetDibMessageReporter(ShowTextureMessage);
    const bool ready = SetupRenderState();
    SetDibMessageReporter(nullptr);
    if (!ready) {
        DestroyRenderWindow();
        return false;
    }
    return true;
}

void DestroyRenderWindow() {
    if (fullscreenMode) {
        ChangeDisplaySettingsA(nullptr, 0);
    }
    RevealCursor();
    DestroyCovers();
    if (displayStateNotification) {
        UnregisterPowerSettingNotification(displayStateNotification);
        displayStateNotification = nullptr;
    }
    if (renderContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderContext);
        renderContext = nullptr;
    }
    if (renderDc) {
        ReleaseDC(renderWindow, renderDc);
        renderDc = nullptr;
    }
    if (renderWindow) {
        DestroyWindow(renderWindow);
        renderWindow = nullptr;
    }
    UnregisterClassA(kClassName, instance);
    if (coverClassRegistered) {
        UnregisterClassA(kCoverClassName, instance);
        coverClassRegistered = false;
    }
}

void ResizeViewport(int width, int height) {
    // WM_SIZE arrives while the window is created, before the context exists: nothing to set up then.
    if (!wglGetCurrentContext()) return;
    const ViewportPlan plan = PlanViewport(width, height);
    glViewport(0, 0, plan.width, plan.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, plan.aspect, 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool SetupRenderState() {
    // A square projection reaching to 200, in force until the next WM_SIZE puts the window's own back.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1f, 200.0);

    if (!LoadParticleTexture()) return false;

    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    // Without its particles the renderer has nothing to show: end start-up like any other failure.
    theEmitter.reset(new (std::nothrow) ParticleEmitter(200, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f,
                                                        particleTexture));
    if (!theEmitter || !theEmitter->IsAllocated()) {
        theEmitter.reset();
        return false;
    }
    theEmitter->ResetAll();
    return true;
}

bool RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // No translation: the eye stays inside the particle box and the cloud turns around it.
    glRotatef(angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
    theEmitter->Draw();
    theEmitter->Update(kUpdateStep);
    AdvanceSceneAngles(angleX, angleY, angleZ);
    return true;
}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_POWERBROADCAST) {
        if (wParam == PBT_POWERSETTINGCHANGE) HandleDisplayState(lParam);
        return TRUE;
    }
    const MessageDecision decision = DecideRenderMessage(message, wParam, lParam, input, fullscreenMode);
    switch (decision.action) {
        case MessageAction::kHandled:
            return 0;
        case MessageAction::kPostQuit:
            // The window stays; the loop ends on WM_QUIT and DestroyRenderWindow removes it.
            PostQuitMessage(0);
            return 0;
        case MessageAction::kResize:
            ResizeViewport(decision.width, decision.height);
            return 0;
        case MessageAction::kAllowFullSize: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            if (limits->ptMaxTrackSize.x < fullFrameSize.cx) limits->ptMaxTrackSize.x = fullFrameSize.cx;
            if (limits->ptMaxTrackSize.y < fullFrameSize.cy) limits->ptMaxTrackSize.y = fullFrameSize.cy;
            return 0;
        }
        case MessageAction::kRebuildCovers:
            CreateCovers();
            break;
        case MessageAction::kDefault:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    FramePacer pacer(FrameRateLimit(swapIntervalApplied, swapInterval, refreshRate));
    FrameWaiter waiter;
    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return ExitCodeForLoopEnd(true, msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // Not yet time for the next frame: wait, waking for any message.
        const double waitMs = pacer.WaitMs(NowMs());
        if (waitMs > 0.0) {
            waiter.Wait(waitMs);
            continue;
        }
        auto paced = [&] {
            pacer.FrameStarted(NowMs());
            ++framesDrawn;
            return RenderFrame();
        };
        switch (RunIdlePass(input, paced)) {
            case IdleResult::kDone:
                return ExitCodeForLoopEnd(false, 0);
            case IdleResult::kSwap:
                SwapBuffers(renderDc);
                break;
            case IdleResult::kWait:
                WaitMessage();
                break;
        }
    }
}

long long FramesDrawn() {
    return framesDrawn;
}

HWND RenderWindowHandle() {
    return renderWindow;
}

bool PumpMessages() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !input.keyDown[VK_ESCAPE] && !input.escapePressed;
}

void PresentFrame() {
    SwapBuffers(renderDc);
}

}  // namespace orvalis
