// The render window's OpenGL context on WGL, and the swap control the driver may offer.
#pragma once

#include <windows.h>

namespace orvalis {

struct GlContext {
    HDC dc = nullptr;         // the window's own DC (CS_OWNDC), held for the window's life
    HGLRC context = nullptr;  // current on dc while the window exists
};

// The window's own DC with the pixel format set (double-buffered RGBA at `colorBits`, a 16-bit depth
// buffer), and a GL context made current on it. False when any step fails; what was made stays in `gl` for
// ReleaseGlContext.
bool CreateGlContext(HWND window, int colorBits, GlContext& gl);

// NOTE: the context stops being current and is deleted while its DC and window still exist, and the DC goes
// back before the window is destroyed. That order is part of the shutdown, so it stays explicit here instead
// of being left to the declaration order of holders.
void ReleaseGlContext(HWND window, GlContext& gl);

// Asks the driver for `interval` when it offers WGL_EXT_swap_control; true when it took it.
bool ApplySwapInterval(int interval);

}  // namespace orvalis
