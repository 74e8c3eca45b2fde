// Three button controls in a window, laid out like the settings dialog's (Set, Cancel, file), for the
// end-to-end tests. It writes what happens to "button_host.log" in its working folder, one line each:
//   ready
//   button <name> <screen left> <top> <width> <height>
//   click <name> <ms>
//   face <name> <face> <ms>      (the face now in the retained surface, seen by a 5 ms poll)
//   parent-move <ms>             (the pointer moved over the window outside the buttons)
// Times are milliseconds of one clock inside this program. The window closes on WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/controls/command_win32.h"

namespace {

using namespace orvalis;

constexpr UINT_PTR kPollTimer = 1;

struct Button {
    const char* name;
    const char* caption;
    int id, x, y, width, height;
    bool enabled;
    HWND hwnd = nullptr;
    std::string face;
};

Button buttons[] = {
    {"Cmd_Set", "設定", 1, 20, 20, 77, 25, true, nullptr, {}},
    {"Cmd_Can", "ｷｬﾝｾﾙ", 2, 110, 20, 77, 25, true, nullptr, {}},
    {"Cmd_File", "...", 3, 20, 70, 41, 21, false, nullptr, {}},
};

FILE* logFile = nullptr;
LARGE_INTEGER frequency, started;

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (t.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
}

void Log(const std::string& line) {
    if (!logFile) return;
    std::fprintf(logFile, "%s\n", line.c_str());
    std::fflush(logFile);
}

// The face in the surface, told apart by the pixel just inside the top frame.
std::string FaceShown(HWND hwnd) {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (!ReadCommandSurface(hwnd, pixels, w, h) || w < 30 || h < 8) return "?";
    switch (pixels[2 * w + 20]) {
        case 0xF3F3EE:
            return "Normal";
        case 0xFFF0CF:
            return "HighLight";
        case 0xCEE7FF:
            return "Selected";
        case 0x003C74:
            return "Pressed";
        case 0xF5F4EA:
            return "Disable";
        default:
            return "?";
    }
}

void PollFaces() {
    for (Button& b : buttons) {
        std::string face = FaceShown(b.hwnd);
        if (face != b.face) {
            b.face = face;
            char line[128];
            std::snprintf(line, sizeof line, "face %s %s %.1f", b.name, face.c_str(), Now());
            Log(line);
        }
    }
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                for (const Button& b : buttons) {
                    if (b.id == LOWORD(wParam)) {
                        char line[128];
                        std::snprintf(line, sizeof line, "click %s %.1f", b.name, Now());
                        Log(line);
                    }
                }
            }
            return 0;
        case WM_MOUSEMOVE: {
            char line[64];
            std::snprintf(line, sizeof line, "parent-move %.1f", Now());
            Log(line);
            return 0;
        }
        case WM_TIMER:
            PollFaces();
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    logFile = _wfopen(L"button_host.log", L"w");

    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(0xEC, 0xE9, 0xD8));
    wc.lpszClassName = L"OrvalisButtonHost";
    RegisterClassW(&wc);
    RegisterCommandClass(instance);

    RECT frame{0, 0, 300, 120};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND top = CreateWindowExW(0, wc.lpszClassName, L"Orvalis button host", WS_OVERLAPPEDWINDOW, 100, 100,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                               nullptr);
    if (!top) return 1;

    for (Button& b : buttons) {
        b.hwnd = CreateCommand(top, b.id, b.x, b.y, b.width, b.height, instance);
        Command* c = CommandFromWindow(b.hwnd);
        if (!c) return 1;
        // As the settings dialog restores them: only caption and font are stored.
        PropertyBag bag;
        bag.Write("Caption", std::string(b.caption));
        bag.Write("Font", DefaultCaptionFont());
        c->LoadProperties(bag);
        c->Initialize();
        if (!b.enabled) c->Enabled(false);
    }
    ShowWindow(top, SW_SHOWNORMAL);
    UpdateWindow(top);

    for (const Button& b : buttons) {
        POINT p{0, 0};
        ClientToScreen(b.hwnd, &p);
        char line[128];
        std::snprintf(line, sizeof line, "button %s %ld %ld %d %d", b.name, p.x, p.y, b.width, b.height);
        Log(line);
    }
    PollFaces();
    SetTimer(top, kPollTimer, 5, nullptr);
    Log("ready");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (logFile) std::fclose(logFile);
    return 0;
}
