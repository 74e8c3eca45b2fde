// The display side of a full-screen run on Win32: the display mode, the monitors and the black covers over
// the monitors the cloud is not drawn on.
#pragma once

#include <windows.h>

#include <vector>

#include "renderer/shell/render_shell_logic.h"
#include "renderer/win32/render_shell_win32.h"

namespace orvalis {

// The display mode a run asked to be full screen gets at `bits`: kFullscreen when the mode changed,
// kWindowed when the user chose a window instead, kFailed when the user declined.
RenderWindowMode SwitchDisplayMode(int width, int height, int bits);

// Back to the display mode in the registry; blocks while the monitors resync.
void RestoreDisplayMode();

// The refresh rate of the display mode in use, 0 when the system does not say.
int CurrentRefreshRate();

// The rectangle of the monitor that shows the origin (the primary one, whose mode was changed), in pixels.
ScreenRect PrimaryMonitorRect();

// The rectangle of the monitor that shows most of `window`.
ScreenRect MonitorRectOf(HWND window);

// Every monitor of the layout the system reports now.
std::vector<ScreenRect> MonitorRects();

// Adds a black cover over each rectangle, above every window shown so far. Keys that reach a cover go on to
// `keyTarget`.
void AddCovers(HINSTANCE instance, HWND keyTarget, const std::vector<ScreenRect>& rects);

// Where keys that reach a cover go from now on; null drops them.
void SetCoverKeyTarget(HWND keyTarget);

// Every cover goes; with `unregister`, their window class too.
void RemoveCovers(bool unregister = false);

}  // namespace orvalis
