// Per-window state reached from the HWND: the object passed as the last argument of CreateWindowEx is
// attached at WM_NCCREATE, the first message a window gets, and found again for every later message.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

template <typename State>
void AttachWindowState(HWND window, State* state) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
}

template <typename State>
State* WindowStateOf(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// For a window procedure's first line: attaches the creation parameter at WM_NCCREATE and returns the
// window's state (null for the few messages some systems send before WM_NCCREATE).
// NOTE: CREATESTRUCTA and CREATESTRUCTW hold lpCreateParams at the same place.
template <typename State>
State* StateForMessage(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* state = static_cast<State*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        AttachWindowState(window, state);
        return state;
    }
    return WindowStateOf<State>(window);
}

}  // namespace orvalis
