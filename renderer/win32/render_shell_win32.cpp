#include "renderer/win32/render_shell_win32.h"

#include <mmsystem.h>

#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/contract.h"
#include "common/handles_win32.h"
#include "renderer/scene/frame_pacing.h"
#include "renderer/scene/render_scene.h"
#include "renderer/shell/render_shell_logic.h"
#include "renderer/texture/dib_message_win32.h"
#include "renderer/texture/texture_loader_win32.h"
#include "renderer/win32/display_win32.h"
#include "renderer/win32/wgl_context_win32.h"

namespace orvalis {

static_assert(kWmSize == WM_SIZE && kWmActivate == WM_ACTIVATE && kWmClose == WM_CLOSE);
static_assert(kWmGetMinMaxInfo == WM_GETMINMAXINFO);
static_assert(kWmKeyDown == WM_KEYDOWN && kWmKeyUp == WM_KEYUP && kWmSysCommand == WM_SYSCOMMAND);
static_assert(kWmDpiChanged == WM_DPICHANGED && kWmDisplayChange == WM_DISPLAYCHANGE && kWmTimer == WM_TIMER);
static_assert(kScScreenSave == SC_SCREENSAVE && kScMonitorPower == SC_MONITORPOWER && kVkEscape == VK_ESCAPE);

namespace {

// The console display's on/off notifications (GUID_CONSOLE_DISPLAY_STATE).
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// Everything the renderer keeps from one call to the next: one window, one context and one cloud per
// process. DestroyRenderWindow releases it in the order the shutdown needs.
struct RendererState {
    HINSTANCE instance = nullptr;
    RegisteredClass windowClass;
    OwnedWindow renderWindow;
    GlContext gl;                // the window's own DC and the GL context current on it
    bool fullscreenMode = true;  // the program runs (or tries to run) in a changed display mode
    ShellInput input;            // keyDown, windowActive and the flags the loop reads
    RenderScene scene;           // angleX, angleY, angleZ, the texture and theEmitter
    SIZE fullFrameSize{0, 0};    // outer size for the requested client area; the window may grow to it
    int requestedSwapInterval = kSwapIntervalFromRefresh;
    int swapInterval = 0;  // the interval asked of the driver, 0 when none was
    bool swapIntervalApplied = false;
    int refreshRate = 0;  // of the display mode in use, 0 or 1 when the system does not know it
    bool cursorHidden = false;
    PowerNotification displayStateNotification;
    ULONGLONG shownTick = 0;  // when the render window was shown, for the foreground requests
    long long framesDrawn = 0;
};

RendererState state;

void HideCursor() {
    if (state.cursorHidden) return;
    ShowCursor(FALSE);
    state.cursorHidden = true;
}

// Brings the pointer back (once) for a message box or the end of the run.
void RevealCursor() {
    if (!state.cursorHidden) return;
    ShowCursor(TRUE);
    state.cursorHidden = false;
}

void ShowTextureMessage(const char* text) {
    RevealCursor();
    ShowDibMessageBox(text);
}

// Covers every monitor but the render window's own, from the layout the system reports now.
void CreateCovers() {
    RemoveCovers();
    if (!state.fullscreenMode || !state.renderWindow) return;
    HWND window = state.renderWindow.get();
    AddCovers(state.instance, window,
              CoverRects(MonitorRects(), MonitorRectOf(window), state.fullscreenMode));
}

void HandleDisplayState(LPARAM lParam) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting == nullptr || setting->PowerSetting != kConsoleDisplayState) return;
    if (setting->DataLength < sizeof(DWORD)) return;
    DWORD displayState = 0;
    CopyMemory(&displayState, setting->Data, sizeof(displayState));
    NoteDisplayState(state.input, displayState);
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
// frame period exact; without one a wait ends on the system's timer tick (about 15.6 ms), up to a tick late.
class FrameWaiter {
public:
    FrameWaiter() {
        constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
        timer_.reset(CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS));
        highResolution_ = timer_.valid();
        if (timer_) return;
        timer_.reset(CreateWaitableTimerW(nullptr, TRUE, nullptr));
        // Systems without that timer take a finer tick for every timer while the loop runs, so that little
        // of each frame's wait is left to poll.
        fineTick_ = timeBeginPeriod(kFineTickMs) == TIMERR_NOERROR;
    }
    ~FrameWaiter() {
        if (fineTick_) timeEndPeriod(kFineTickMs);
    }
    FrameWaiter(const FrameWaiter&) = delete;
    FrameWaiter& operator=(const FrameWaiter&) = delete;

    // The granularity of Wait: none with the high-resolution timer, the system's tick without it.
    double TickMs() const {
        if (highResolution_) return 0.0;
        return fineTick_ ? static_cast<double>(kFineTickMs) : kSystemTimerTickMs;
    }

    // Waits `ms` milliseconds (waking for any message), or only gives up the processor for a moment when
    // `ms` is 0: the rest of a wait shorter than a tick is polled.
    void Wait(double ms) {
        if (ms <= 0.0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
            SwitchToThread();
            return;
        }
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(ms * 10000.0);  // relative, in 100 ns units
        HANDLE timer = timer_.get();
        if (timer_ && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
            MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT);
            CancelWaitableTimer(timer);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::ceil(ms)), QS_ALLINPUT);
        }
    }

private:
    static constexpr UINT kFineTickMs = 1;
    KernelHandle timer_;
    bool highResolution_ = false;
    bool fineTick_ = false;
};

bool RegisterRenderClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = RenderWindowProc;
    windowClass.hInstance = state.instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kRendererWindowClass;
    state.windowClass = RegisteredClass(windowClass);
    return state.windowClass.valid();
}

struct WindowFrame {
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    ScreenRect rect;    // the outer rectangle
    ScreenRect client;  // the client area, in the window's own coordinates
};

// A borderless popup over the primary monitor in full screen, an overlapped window around the requested
// client area otherwise.
WindowFrame PlanWindowFrame(int width, int height) {
    WindowFrame frame;
    frame.client = ScreenRect{0, 0, width, height};
    if (state.fullscreenMode) {
        frame.style = WS_POPUP;
        // Topmost like the covers, so that no taskbar stays above the cloud.
        frame.extendedStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;
        // The monitor's own rectangle after the mode change, in real pixels whatever its scaling.
        frame.rect = FullscreenWindowRect(PrimaryMonitorRect(), width, height);
        frame.client = frame.rect;
    } else {
        RECT rect{0, 0, width, height};
        AdjustWindowRectEx(&rect, frame.style, FALSE, frame.extendedStyle);
        frame.rect = ScreenRect{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    }
    return frame;
}

bool OpenRenderWindow(const char* title, const WindowFrame& frame) {
    state.fullFrameSize = SIZE{frame.rect.right - frame.rect.left, frame.rect.bottom - frame.rect.top};
    state.renderWindow.reset(CreateWindowExA(frame.extendedStyle, kRendererWindowClass, title,
                                             frame.style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, frame.rect.left,
                                             frame.rect.top, state.fullFrameSize.cx, state.fullFrameSize.cy,
                                             nullptr, nullptr, state.instance, nullptr));
    return state.renderWindow.valid();
}

void StartSwapControl() {
    state.refreshRate = CurrentRefreshRate();
    state.swapInterval = state.requestedSwapInterval == kSwapIntervalFromRefresh
                             ? SwapIntervalForRefresh(state.refreshRate)
                             : state.requestedSwapInterval;
    state.swapIntervalApplied = false;
    if (state.swapInterval > 0) state.swapIntervalApplied = ApplySwapInterval(state.swapInterval);
}

// NOTE: the system may refuse SetForegroundWindow (the right to it is lost at the user's next input); the
// foreground timer asks again for a while, and a click on the window activates it in any case.
void ShowRenderWindow(const ScreenRect& client) {
    HWND window = state.renderWindow.get();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    state.shownTick = GetTickCount64();
    if (GetForegroundWindow() != window)
        SetTimer(window, kForegroundTimerId, kForegroundRetryIntervalMs, nullptr);
    CreateCovers();
    ResizeViewport(client.right - client.left, client.bottom - client.top);
}

// The pointer comes back before the texture reader shows any message.
bool SetupRenderStateShowingMessages() {
    SetDibMessageReporter(ShowTextureMessage);
    const bool ready = SetupRenderState();
    SetDibMessageReporter(nullptr);
    return ready;
}

LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam) {
    if (wParam == PBT_POWERSETTINGCHANGE) HandleDisplayState(lParam);
    return TRUE;
}

// The window stays; the loop ends on WM_QUIT and DestroyRenderWindow removes it.
LRESULT OnClose() {
    PostQuitMessage(0);
    return 0;
}

LRESULT OnSize(const MessageDecision& decision) {
    ResizeViewport(decision.width, decision.height);
    return 0;
}

LRESULT OnGetMinMaxInfo(LPARAM lParam) {
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    if (limits->ptMaxTrackSize.x < state.fullFrameSize.cx) limits->ptMaxTrackSize.x = state.fullFrameSize.cx;
    if (limits->ptMaxTrackSize.y < state.fullFrameSize.cy) limits->ptMaxTrackSize.y = state.fullFrameSize.cy;
    return 0;
}

LRESULT OnDisplayChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CreateCovers();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnForegroundTimer(HWND window) {
    const auto sinceShown = static_cast<int64_t>(GetTickCount64() - state.shownTick);
    if (AskForegroundAgain(GetForegroundWindow() == window, sinceShown)) {
        SetForegroundWindow(window);
    } else {
        KillTimer(window, kForegroundTimerId);
    }
    return 0;
}

class Win32RunEnd final : public RunEndSteps {
public:
    void RestoreDisplayMode() override { orvalis::RestoreDisplayMode(); }
    void CoverEveryMonitor() override {
        AddCovers(state.instance, state.renderWindow.get(), CoverRects(MonitorRects(), ScreenRect{}, true));
    }
    void ReleaseRenderWindow() override {
        state.displayStateNotification.reset();
        ReleaseGlContext(state.renderWindow.get(), state.gl);
        SetCoverKeyTarget(nullptr);
        state.renderWindow.reset();
    }
    void RemoveCovers() override { orvalis::RemoveCovers(); }
};

}  // namespace

void SetRequestedSwapInterval(int interval) {
    state.requestedSwapInterval = interval;
}
int SwapInterval() {
    return state.swapIntervalApplied ? state.swapInterval : 0;
}
bool SwapIntervalApplied() {
    return state.swapIntervalApplied;
}

RenderWindowMode CreateRenderWindow(const char* title, int width, int height, bool fullscreen) {
    state.instance = GetModuleHandleA(nullptr);
    state.input = ShellInput{};
    state.fullscreenMode = fullscreen;
    if (!RegisterRenderClass()) return RenderWindowMode::kFailed;
    if (fullscreen) {
        const RenderWindowMode mode = SwitchDisplayMode(width, height, kColorBits);
        if (mode == RenderWindowMode::kFailed) {
            state.windowClass.reset();  // only the class exists here
            return mode;
        }
        state.fullscreenMode = mode == RenderWindowMode::kFullscreen;
    }
    if (state.fullscreenMode) HideCursor();
    const WindowFrame frame = PlanWindowFrame(width, height);
    if (!OpenRenderWindow(title, frame) || !CreateGlContext(state.renderWindow.get(), kColorBits, state.gl)) {
        DestroyRenderWindow();
        return RenderWindowMode::kFailed;
    }
    StartSwapControl();
    state.displayStateNotification.reset(RegisterPowerSettingNotification(
        state.renderWindow.get(), &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE));
    ShowRenderWindow(frame.client);
    if (!SetupRenderStateShowingMessages()) {
        DestroyRenderWindow();
        return RenderWindowMode::kFailed;
    }
    return state.fullscreenMode ? RenderWindowMode::kFullscreen : RenderWindowMode::kWindowed;
}

void DestroyRenderWindow() {
    // The run counts as windowed from here: the WM_DISPLAYCHANGE that the mode's restore sends to the window
    // must not build the covers again while the ones standing hide the desktop through the resync.
    const bool fullscreen = state.fullscreenMode;
    state.fullscreenMode = false;
    Win32RunEnd steps;
    EndRun(steps, fullscreen);
    RevealCursor();
    state.windowClass.reset();
    RemoveCovers(true);
}

void ResizeViewport(int width, int height) {
    // WM_SIZE arrives while the window is created, before the context exists: nothing to set up then.
    if (!wglGetCurrentContext()) return;
    ResizeSceneViewport(width, height);
}

bool SetupRenderState() {
    SetSetupProjection();
    if (!LoadParticleTexture()) return false;
    return FinishSceneSetup(state.scene, particleTexture);
}

bool RenderFrame() {
    RenderSceneFrame(state.scene);
    return true;
}

// Translates the message and dispatches on the shell's decision: one handler each.
LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_POWERBROADCAST) return OnPowerBroadcast(wParam, lParam);
    const MessageDecision decision =
        DecideRenderMessage(message, wParam, lParam, state.input, state.fullscreenMode);
    switch (decision.action) {
        case MessageAction::kHandled:
            return 0;
        case MessageAction::kPostQuit:
            return OnClose();
        case MessageAction::kResize:
            return OnSize(decision);
        case MessageAction::kAllowFullSize:
            return OnGetMinMaxInfo(lParam);
        case MessageAction::kRebuildCovers:
            return OnDisplayChange(window, message, wParam, lParam);
        case MessageAction::kAskForeground:
            return OnForegroundTimer(window);
        case MessageAction::kDefault:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    FrameWaiter waiter;
    FramePacer pacer(FrameRateLimit(state.swapIntervalApplied, state.swapInterval, state.refreshRate),
                     waiter.TickMs());
    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return ExitCodeForLoopEnd(true, msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // Not yet time for the next frame: wait, waking for any message.
        const double now = NowMs();
        if (pacer.WaitMs(now) > 0.0) {
            waiter.Wait(pacer.SleepMs(now));
            continue;
        }
        auto paced = [&] {
            pacer.FrameStarted(NowMs());
            ++state.framesDrawn;
            return RenderFrame();
        };
        switch (RunIdlePass(state.input, paced)) {
            case IdleResult::kDone:
                return ExitCodeForLoopEnd(false, 0);
            case IdleResult::kSwap:
                SwapBuffers(state.gl.dc);
                break;
            case IdleResult::kWait:
                WaitMessage();
                break;
        }
    }
}

long long FramesDrawn() {
    return state.framesDrawn;
}

HWND RenderWindowHandle() {
    return state.renderWindow.get();
}

bool PumpMessages() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !RunIsOver(state.input);
}

void PresentFrame() {
    SwapBuffers(state.gl.dc);
}

}  // namespace orvalis
