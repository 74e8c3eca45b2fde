// The preview window: a still picture of the saver inside the window Windows names with /p.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

constexpr int kImgPrevId = 1;

// Creates the preview window hidden, with its picture control Img_Prev holding the preview picture
// from the host's resources. Null when the window could not be made.
HWND CreatePreviewWindow(HINSTANCE instance);

// Makes the preview window a child of `parent` filling its window rectangle, sizes Img_Prev to it and
// shows it. False when `parent` is not a window: no one would ever close the preview then.
bool EmbedPreviewWindow(HWND preview, HWND parent);

}  // namespace orvalis
