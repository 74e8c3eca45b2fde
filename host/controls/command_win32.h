// The "Veyra.Command" child window class: the push button of command.h in a window.
//
// A container registers the class once, creates buttons as child windows (or through CreateCommand) and
// reaches each one's `Command` with CommandFromWindow. `Click` sends WM_COMMAND (BN_CLICKED, the control's
// id) to the parent unless the container sets its own handler. A new button starts disabled until its
// `Enabled` property is first read; a container restoring a saved layout runs LoadProperties instead.
// A transparent face (`Visible` 0) shows the parent through the control: the parent then paints its
// background for WM_ERASEBKGND / WM_PRINTCLIENT into the DC it is given.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "host/controls/command.h"

namespace orvalis {

inline constexpr wchar_t kCommandClassName[] = L"Veyra.Command";

bool RegisterCommandClass(HINSTANCE instance);

HWND CreateCommand(HWND parent, int id, int x, int y, int width, int height, HINSTANCE instance);

// The behaviour behind a button window, or nullptr for any other window.
Command* CommandFromWindow(HWND window);

// Called with the key of each persisted property the container should store again.
void SetPropertyChangedHandler(HWND window, std::function<void(std::string_view)> handler);

// A copy of the retained face surface as 0xRRGGBB pixels, rows top first.
bool ReadCommandSurface(HWND window, std::vector<uint32_t>& pixels, int& width, int& height);

}  // namespace orvalis
