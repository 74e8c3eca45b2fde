// The settings window (titled kSettingsWindowTitle): the user picks the background music and saves it to the
// settings file.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

// Shows the dialog modally (no owner) over the loaded SaverSettings and returns when it has closed.
void ShowSettingsDialog(HINSTANCE instance);

// The caption zoom goes through this call, so tests can see the rectangles (the platform may draw nothing).
using AnimatedRectsFunction = BOOL(WINAPI*)(HWND, int, const RECT*, const RECT*);
void SetAnimatedRectsFunction(AnimatedRectsFunction function);

}  // namespace orvalis
