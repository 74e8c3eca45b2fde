// The preview window: a still picture of the saver inside the window Windows names with /p.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

constexpr int kImgPrevId = 1;

// The preview picture at 96 dpi; the host also carries it at twice that size for higher DPIs.
constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// Creates the preview window hidden, with its picture control Img_Prev holding the preview picture
// from the host's resources. The window takes the DPI awareness of `parent` (the window it will be
// embedded in), so that the parent and the preview measure in the same units. Null when the window could
// not be made.
HWND CreatePreviewWindow(HINSTANCE instance, HWND parent = nullptr);

// Makes the preview window a child of `parent` filling its window rectangle (in the parent's units), sizes
// Img_Prev to it and shows it. False when `parent` is not a window: no one would ever close the preview
// then.
bool EmbedPreviewWindow(HWND preview, HWND parent);

}  // namespace orvalis
