// The DPI of a window and the Win32 calls that depend on it. The calls newer than the oldest system the
// manifests name are looked up at run time: Windows 10 1607's per-window functions, then Windows 8.1's
// GetDpiForMonitor, then the screen's LOGPIXELSY, which is all Windows 7 knows.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

// The DPI a window is drawn at: its own where the system knows per-window DPI, its monitor's, or the
// system's.
int WindowDpi(HWND window);
// The system's DPI, the one the stock objects and GetSystemMetrics are made for.
int SystemDpi();

// AdjustWindowRectEx for the frame at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics at `dpi`; on systems without GetSystemMetricsForDpi, the system's value scaled from its
// own DPI.
int SystemMetricForDpi(int index, int dpi);

// While it lives, windows this thread creates take the DPI awareness of `model` (where the system can set
// a thread's awareness); the thread's own comes back afterwards.
class DpiAwarenessScope {
public:
    explicit DpiAwarenessScope(HWND model);
    ~DpiAwarenessScope();
    DpiAwarenessScope(const DpiAwarenessScope&) = delete;
    DpiAwarenessScope& operator=(const DpiAwarenessScope&) = delete;

private:
    HANDLE previous_ = nullptr;  // DPI_AWARENESS_CONTEXT
};

}  // namespace orvalis
