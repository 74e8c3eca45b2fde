// The hidden saver screen window (titled kSaverWindowTitle): writes the texture, starts the renderer and the
// music, and ends the host once the renderer's process or window has gone.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/contract.h"
#include "common/handles_win32.h"

namespace orvalis {

// The display count ShowCursor(FALSE) gave when the S switch hid the cursor.
extern int32_t savedCursorCount;

constexpr UINT_PTR kTimer1 = 1;  // MP3 watch
constexpr UINT_PTR kTimer2 = 2;  // CD watch
constexpr UINT_PTR kTimer3 = 3;  // renderer watch
constexpr UINT kTimer1Interval = 1000;
constexpr UINT kTimer2Interval = 200;
constexpr UINT kTimer3Interval = 1000;

// Creates the window, never shown; its creation runs the saver's start-up. `commandLine` decides at
// the end whether the cursor is given back. Null when the window could not be made.
HWND CreateSaverScreenWindow(HINSTANCE instance, const std::string& commandLine);

// The host's message loop, for every mode that leaves a window open. During a saver run it also wakes
// when the renderer's process ends and ends the run at once. Returns the WM_QUIT code.
int RunHostMessageLoop();

// Starts a program with no arguments in a normal, activated window, without waiting, and lets it take
// the foreground. Gives the process handle, which only tells whether it has ended, or an empty holder when
// it could not start.
KernelHandle StartProgram(const std::string& path);

}  // namespace orvalis
