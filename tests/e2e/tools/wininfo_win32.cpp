// wininfo TITLE [--children]   prints what the end-to-end tests need to know about a top-level window.
// wininfo --display            prints the current display mode.
// wininfo --foreground         prints the foreground window's title, class and process id.
// wininfo --monitors           prints each monitor's rectangle as the system reports it.
// wininfo --top PID            prints every top-level window of that (Windows) process.
// One "key=value" per line; exit code 1 when no top-level window has exactly that title.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring Widen(const char* text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// One line of text: backslashes, line breaks and the field separator are written as \\, \n, \r and \x7c,
// so that a message box's several-line text cannot break the one-line-per-window output.
std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    std::string out;
    for (char c : Narrow(text)) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '|')
            out += "\\x7c";
        else
            out += c;
    }
    return out;
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Narrow(name);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    RECT rect{};
    GetWindowRect(child, &rect);
    std::printf("child=%p|%s|%s|%ld,%ld,%ld,%ld|%d\n", static_cast<void*>(child), ClassOf(child).c_str(),
                TextOf(child).c_str(), rect.left, rect.top, rect.right, rect.bottom,
                IsWindowVisible(child) ? 1 : 0);
    return TRUE;
}

int PrintDisplay() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
    std::printf("display=%lux%lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    return 0;
}

std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
           "," + std::to_string(rect.bottom);
}

int PrintForeground() {
    HWND window = GetForegroundWindow();
    if (!window) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("foreground=%s|%s|%lu\n", TextOf(window).c_str(), ClassOf(window).c_str(), pid);
    return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        std::printf("monitor=%s|%s|%d|%u\n", Narrow(info.szDevice).c_str(), RectText(info.rcMonitor).c_str(),
                    (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0, GetDpiForSystem());
    }
    return TRUE;
}

BOOL CALLBACK PrintTopOf(HWND window, LPARAM wanted) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != static_cast<DWORD>(wanted)) return TRUE;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("top=%p|%s|%s|%s|%d|0x%08lx\n", static_cast<void*>(window), ClassOf(window).c_str(),
                TextOf(window).c_str(), RectText(rect).c_str(), IsWindowVisible(window) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    // Rectangles in real pixels, whatever the system's scaling: the tests compare them with the screen.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc >= 2 && std::strcmp(argv[1], "--display") == 0) return PrintDisplay();
    if (argc >= 2 && std::strcmp(argv[1], "--foreground") == 0) return PrintForeground();
    if (argc >= 2 && std::strcmp(argv[1], "--monitors") == 0) {
        EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--top") == 0) {
        EnumWindows(PrintTopOf, static_cast<LPARAM>(std::strtoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: wininfo TITLE [--children] | wininfo --display\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, Widen(argv[1]).c_str());
    if (!window) return 1;
    RECT frame{};
    RECT client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &pid);
    // The window that has the keyboard focus on that window's thread.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    const HWND focus = GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
    std::printf("hwnd=%p\n", static_cast<void*>(window));
    std::printf("pid=%lu\n", pid);
    std::printf("class=%s\n", ClassOf(window).c_str());
    std::printf("title=%s\n", TextOf(window).c_str());
    std::printf("style=0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
    std::printf("exstyle=0x%08lx\n", static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
    std::printf("window=%ld,%ld,%ld,%ld\n", frame.left, frame.top, frame.right, frame.bottom);
    std::printf("client=%ld,%ld\n", client.right - client.left, client.bottom - client.top);
    std::printf("client_origin=%ld,%ld\n", origin.x, origin.y);
    std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("iconic=%d\n", IsIconic(window) ? 1 : 0);
    std::printf("focus=%p\n", static_cast<void*>(focus));
    if (argc >= 3 && std::strcmp(argv[2], "--children") == 0) EnumChildWindows(window, PrintChild, 0);
    return 0;
}
