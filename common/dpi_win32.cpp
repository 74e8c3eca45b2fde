#include "common/dpi_win32.h"

#include "common/dpi_scale.h"

namespace orvalis {
namespace {

// DPI_AWARENESS_CONTEXT is a handle; MONITOR_DPI_TYPE 0 is MDT_EFFECTIVE_DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetWindowDpiAwarenessContextFn = HANDLE(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <class F>
F Lookup(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // NOTE: GetProcAddress gives a generic function pointer; the cast names the function's real type.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct DpiFunctions {
    GetDpiForWindowFn getDpiForWindow = nullptr;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
    GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
    GetWindowDpiAwarenessContextFn getWindowDpiAwarenessContext = nullptr;
    SetThreadDpiAwarenessContextFn setThreadDpiAwarenessContext = nullptr;
    GetDpiForMonitorFn getDpiForMonitor = nullptr;

    DpiFunctions() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        getDpiForWindow = Lookup<GetDpiForWindowFn>(user32, "GetDpiForWindow");
        adjustWindowRectExForDpi = Lookup<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi");
        getSystemMetricsForDpi = Lookup<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi");
        getWindowDpiAwarenessContext =
            Lookup<GetWindowDpiAwarenessContextFn>(user32, "GetWindowDpiAwarenessContext");
        setThreadDpiAwarenessContext =
            Lookup<SetThreadDpiAwarenessContextFn>(user32, "SetThreadDpiAwarenessContext");
        // shcore.dll stays loaded for the process: the pointer taken from it is kept.
        getDpiForMonitor = Lookup<GetDpiForMonitorFn>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
    }
};

const DpiFunctions& Functions() {
    static const DpiFunctions functions;
    return functions;
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
    const DpiFunctions& f = Functions();
    if (f.getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = f.getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    if (f.getDpiForMonitor != nullptr && window != nullptr) {
        UINT x = 0;
        UINT y = 0;
        if (SUCCEEDED(f.getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) &&
            y > 0)
            return static_cast<int>(y);
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    const DpiFunctions& f = Functions();
    if (f.adjustWindowRectExForDpi != nullptr &&
        f.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int SystemMetricForDpi(int index, int dpi) {
    const DpiFunctions& f = Functions();
    if (f.getSystemMetricsForDpi != nullptr) return f.getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return MulDivRound(GetSystemMetrics(index), dpi, SystemDpi());
}

DpiAwarenessScope::DpiAwarenessScope(HWND model) {
    const DpiFunctions& f = Functions();
    if (f.getWindowDpiAwarenessContext == nullptr || f.setThreadDpiAwarenessContext == nullptr ||
        !IsWindow(model))
        return;
    HANDLE context = f.getWindowDpiAwarenessContext(model);
    if (context != nullptr) previous_ = f.setThreadDpiAwarenessContext(context);
}

DpiAwarenessScope::~DpiAwarenessScope() {
    if (previous_ != nullptr) Functions().setThreadDpiAwarenessContext(previous_);
}

}  // namespace orvalis
