#include "renderer/render_shell_win32.h"

#include <memory>
#include <new>
#include <string>

#include "renderer/particle_emitter.h"
#include "renderer/render_shell_logic.h"
#include "renderer/texture_loader_win32.h"

namespace orvalis {

static_assert(kWmSize == WM_SIZE && kWmActivate == WM_ACTIVATE && kWmClose == WM_CLOSE);
static_assert(kWmGetMinMaxInfo == WM_GETMINMAXINFO);
static_assert(kWmKeyDown == WM_KEYDOWN && kWmKeyUp == WM_KEYUP && kWmSysCommand == WM_SYSCOMMAND);
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
bool keyDown[kKeyCount] = {};
bool windowActive = true;
float angleX = SceneAngles{}.x;
float angleY = SceneAngles{}.y;
float angleZ = SceneAngles{}.z;
std::unique_ptr<ParticleEmitter> theEmitter;

// Outer size of the window for the requested client area; the window may always grow to it.
SIZE fullFrameSize{0, 0};

int requestedSwapInterval = 1;
bool swapIntervalApplied = false;

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
    auto swapInterval = GlExtension<SwapIntervalExt>("wglSwapIntervalEXT");
    if (swapInterval) swapIntervalApplied = swapInterval(requestedSwapInterval) != FALSE;
}

}  // namespace

void SetRequestedSwapInterval(int interval) {
    requestedSwapInterval = interval;
}
bool SwapIntervalApplied() {
    return swapIntervalApplied;
}

bool CreateRenderWindow(const char* title, int width, int height, int bits, bool fullscreen) {
    fullscreenMode = fullscreen;
    instance = GetModuleHandleA(nullptr);

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
    if (fullscreenMode) {
        extendedStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    }
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
    fullFrameSize = SIZE{rect.right - rect.left, rect.bottom - rect.top};

    renderWindow =
        CreateWindowExA(extendedStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
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
    ApplySwapInterval();

    ShowWindow(renderWindow, SW_SHOW);
    SetForegroundWindow(renderWindow);
    SetFocus(renderWindow);
    ResizeViewport(width, height);

    if (!SetupRenderState()) {
        DestroyRenderWindow();
        return false;
    }
    return true;
}

void DestroyRenderWindow() {
    if (fullscreenMode) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
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
    const MessageDecision decision = DecideRenderMessage(message, wParam, lParam, keyDown, windowActive);
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
        case MessageAction::kDefault:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return ExitCodeForLoopEnd(true, msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (RunIdlePass(windowActive, keyDown, RenderFrame) == IdleResult::kDone) {
            return ExitCodeForLoopEnd(false, 0);
        } else {
            SwapBuffers(renderDc);
        }
    }
}

bool PumpMessages() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !keyDown[VK_ESCAPE];
}

void PresentFrame() {
    SwapBuffers(renderDc);
}

}  // namespace orvalis
