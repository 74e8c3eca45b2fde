// host_preview_parent WIDTH HEIGHT X Y: a borderless window titled "PreviewArea" that stands in for the
// preview area of the Display Properties dialog. Prints its handle in decimal, the number the saver gets
// after /p, then runs until it is closed. Its own background is magenta, so any black inside it was
// painted by the preview.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: host_preview_parent WIDTH HEIGHT X Y\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = AreaProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    windowClass.lpszClassName = L"PreviewAreaClass";
    RegisterClassExW(&windowClass);
    // WS_CLIPCHILDREN: the area never paints over the embedded preview.
    HWND area = CreateWindowExW(0, L"PreviewAreaClass", L"PreviewArea",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, std::atoi(argv[3]),
                                std::atoi(argv[4]), width, height, nullptr, nullptr, instance, nullptr);
    if (!area) return 1;
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(area) & 0xFFFFFFFFu));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
