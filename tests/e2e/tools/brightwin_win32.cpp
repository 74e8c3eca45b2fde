// brightwin TITLE LEFT TOP WIDTH HEIGHT [--take-foreground-after MS]
// A stand-in for another program on the desktop: a borderless window of a bright, known colour (pure yellow)
// at the given screen rectangle, shown without taking the activation. With --take-foreground-after it makes
// itself the foreground window after that many milliseconds, as a program popping up would. It prints
// "activated" (flushed) each time it becomes the active window, and ends on WM_CLOSE.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR kForegroundTimer = 1;

LRESULT CALLBACK BrightProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                std::printf("activated\n");
                std::fflush(stdout);
            }
            return 0;
        case WM_TIMER:
            KillTimer(window, kForegroundTimer);
            SetForegroundWindow(window);
            std::printf("took the foreground: %s\n", GetForegroundWindow() == window ? "yes" : "no");
            std::fflush(stdout);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: brightwin TITLE LEFT TOP WIDTH HEIGHT [--take-foreground-after MS]\n");
        return 2;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BrightProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(255, 255, 0));
    windowClass.lpszClassName = "OrvalisTestBright";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, argv[1], WS_POPUP, std::atoi(argv[2]),
                                  std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    if (argc >= 8 && std::strcmp(argv[6], "--take-foreground-after") == 0) {
        SetTimer(window, kForegroundTimer, static_cast<UINT>(std::atoi(argv[7])), nullptr);
    }
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
