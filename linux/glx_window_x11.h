// The Linux program's drawable on Xlib and GLX: the display connection, a given window, the root window, a
// window of its own or an offscreen buffer, its GL context and swap interval, and the X error handlers that
// notice a drawable destroyed under the program.
#pragma once

#include "linux/hack_options.h"

// Xlib's macros (None, Bool, Status, ...) come last, after every project header.
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace orvalis {

// True once a request named a window or drawable that no longer exists, or the window drawn into was
// destroyed (the saver daemon does that when the user comes back).
bool DrawableGone();
void NoteDrawableGone();

class GlxWindow {
public:
    GlxWindow() = default;
    ~GlxWindow() { Release(); }
    GlxWindow(const GlxWindow&) = delete;
    GlxWindow& operator=(const GlxWindow&) = delete;

    // Opens the display and makes the drawable and its context current; false after a message.
    bool Open(const DrawTarget& target);
    // Shows the frame drawn: a swap, or a flush for a single-buffered drawable.
    void Present();

    Display* display() const { return display_; }
    Window window() const { return window_; }  // 0 offscreen
    bool ownWindow() const { return ownWindow_; }
    bool foreignWindow() const { return foreignWindow_; }
    bool offscreen() const { return pbuffer_ != 0; }
    bool doubleBuffered() const { return doubleBuffered_; }
    Atom deleteWindow() const { return deleteWindow_; }
    // The drawable's size when it was opened.
    int width() const { return width_; }
    int height() const { return height_; }

private:
    bool OpenOwnWindow();
    bool OpenForeignWindow(Window window);
    bool OpenOffscreen();
    bool MakeContext(XVisualInfo* visual);
    void ApplySwapInterval();
    void Release();

    Display* display_ = nullptr;
    int screen_ = 0;
    Window window_ = 0;
    bool ownWindow_ = false;
    bool foreignWindow_ = false;
    Colormap colormap_ = 0;
    GLXPbuffer pbuffer_ = 0;
    GLXDrawable drawable_ = 0;
    GLXContext context_ = nullptr;
    bool doubleBuffered_ = true;
    bool swapIntervalApplied_ = false;
    Atom deleteWindow_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace orvalis
