// The renderer's window, OpenGL context, render state, frame and message loop on Win32 and WGL.
// Orvalis.dll's WinMain drives these; the frame-rate benchmark reuses them.
#pragma once

#include "renderer/scene/opengl.h"

namespace orvalis {

// Colour depth asked of the display mode and the pixel format.
inline constexpr int kColorBits = 16;

// What CreateRenderWindow got.
enum class RenderWindowMode {
    kFailed,      // start-up cannot go on; what was acquired has been released
    kFullscreen,  // the display mode was changed and the window fills the screen
    kWindowed,    // a normal window: asked for, or accepted when the display mode could not be changed
};

// Registers the class, switches the display mode when `fullscreen` asks for it, creates the window and its
// GL context and sets up the render state.
RenderWindowMode CreateRenderWindow(const char* title, int width, int height, bool fullscreen);

// Releases what CreateRenderWindow acquired; safe when only part of it exists.
void DestroyRenderWindow();

void ResizeViewport(int width, int height);
bool SetupRenderState();
bool RenderFrame();
LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the message loop until WM_QUIT or an idle pass that finds Escape down; returns the exit code.
int RunMessageLoop();

// Swap interval asked through WGL_EXT_swap_control when the context is created: by default the one nearest to
// 60 frames per second at the display's refresh rate; 0 asks for none (the loop then paces itself by
// waiting).
inline constexpr int kSwapIntervalFromRefresh = -1;
void SetRequestedSwapInterval(int interval);
// True when the driver took the requested interval; SwapInterval() is that interval (0 when none).
bool SwapIntervalApplied();
int SwapInterval();

// For the benchmark: frames drawn by RunMessageLoop so far, and the render window.
long long FramesDrawn();
HWND RenderWindowHandle();

// For the benchmark: handles every waiting message; false once WM_QUIT was seen.
bool PumpMessages();
// For the benchmark: shows the back buffer.
void PresentFrame();

}  // namespace orvalis
