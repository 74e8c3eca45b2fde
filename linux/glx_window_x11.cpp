#include "linux/glx_window_x11.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

#include "renderer/scene/gl_caps.h"

namespace orvalis {
namespace {

// Set by the X error handler when a request names a window or drawable that no longer exists: the window we
// draw into was destroyed under us (the saver daemon does that when the user comes back).
bool drawableGone = false;
int glxErrorBase = 0;

int OnXError(Display* display, XErrorEvent* error) {
    constexpr int kGlxBadDrawable = 2;
    if (error->error_code == BadWindow || error->error_code == BadDrawable ||
        (glxErrorBase != 0 && error->error_code == glxErrorBase + kGlxBadDrawable)) {
        drawableGone = true;
        return 0;
    }
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof(text));
    std::fprintf(stderr, "orvalis: X error: %s (request %d.%d)\n", text, error->request_code,
                 error->minor_code);
    return 0;
}

int OnXIoError(Display*) {
    std::fprintf(stderr, "orvalis: the connection to the X display was lost\n");
    std::_Exit(1);
}

template <typename Function>
Function GlxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

}  // namespace

bool DrawableGone() {
    return drawableGone;
}

void NoteDrawableGone() {
    drawableGone = true;
}

bool GlxWindow::Open(const DrawTarget& target) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        std::fprintf(stderr, "orvalis: cannot open the X display '%s'\n", XDisplayName(nullptr));
        return false;
    }
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIoError);
    screen_ = DefaultScreen(display_);
    int eventBase = 0;
    if (!glXQueryExtension(display_, &glxErrorBase, &eventBase)) {
        std::fprintf(stderr, "orvalis: the X display has no OpenGL (GLX) support\n");
        return false;
    }
    switch (target.kind) {
        case DrawTargetKind::kOwnWindow:
            return OpenOwnWindow();
        case DrawTargetKind::kGivenWindow:
            return OpenForeignWindow(static_cast<Window>(target.window));
        case DrawTargetKind::kRootWindow:
            return OpenForeignWindow(RootWindow(display_, screen_));
        case DrawTargetKind::kOffscreen:
            return OpenOffscreen();
    }
    return false;
}

bool GlxWindow::MakeContext(XVisualInfo* visual) {
    context_ = glXCreateContext(display_, visual, nullptr, True);
    if (context_ == nullptr || !glXMakeCurrent(display_, drawable_, context_)) {
        std::fprintf(stderr, "orvalis: cannot make an OpenGL context for the drawable\n");
        return false;
    }
    return true;
}

bool GlxWindow::OpenOwnWindow() {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
                        1,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* visual = glXChooseVisual(display_, screen_, attributes);
    if (visual == nullptr) {
        std::fprintf(stderr, "orvalis: no double-buffered RGB OpenGL visual on this display\n");
        return false;
    }
    const Window root = RootWindow(display_, screen_);
    colormap_ = XCreateColormap(display_, root, visual->visual, AllocNone);
    XSetWindowAttributes attrs{};
    attrs.colormap = colormap_;
    attrs.background_pixel = BlackPixel(display_, screen_);
    attrs.border_pixel = 0;
    attrs.event_mask = KeyPressMask | StructureNotifyMask;
    width_ = kOwnWindowWidth;
    height_ = kOwnWindowHeight;
    window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(width_),
                            static_cast<unsigned>(height_), 0, visual->depth, InputOutput, visual->visual,
                            CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attrs);
    ownWindow_ = true;
    XStoreName(display_, window_, "Orvalis");
    XClassHint classHint{};
    char resName[] = "orvalis";
    char resClass[] = "Orvalis";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display_, window_, &classHint);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XMapWindow(display_, window_);
    drawable_ = window_;
    const bool made = MakeContext(visual);
    XFree(visual);
    if (made) ApplySwapInterval();
    return made;
}

bool GlxWindow::OpenForeignWindow(Window window) {
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(display_, window, &attrs) || drawableGone) {
        std::fprintf(stderr, "orvalis: there is no window 0x%lx on this display\n",
                     static_cast<unsigned long>(window));
        return false;
    }
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attrs.visual);
    wanted.screen = XScreenNumberOfScreen(attrs.screen);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display_, VisualIDMask | VisualScreenMask, &wanted, &count);
    int usesGl = 0;
    if (visual == nullptr || glXGetConfig(display_, visual, GLX_USE_GL, &usesGl) != 0 || !usesGl) {
        std::fprintf(stderr, "orvalis: the visual 0x%lx of window 0x%lx has no OpenGL support\n",
                     static_cast<unsigned long>(wanted.visualid), static_cast<unsigned long>(window));
        if (visual != nullptr) XFree(visual);
        return false;
    }
    int doubleBuffer = 0;
    glXGetConfig(display_, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
    doubleBuffered_ = doubleBuffer != 0;
    window_ = window;
    foreignWindow_ = true;
    width_ = attrs.width;
    height_ = attrs.height;
    // Size changes and the window's end; another client (the daemon) may listen for the same.
    XSelectInput(display_, window_, StructureNotifyMask);
    drawable_ = window_;
    const bool made = MakeContext(visual);
    XFree(visual);
    if (made) ApplySwapInterval();
    return made;
}

bool GlxWindow::OpenOffscreen() {
    width_ = kOwnWindowWidth;
    height_ = kOwnWindowHeight;
    for (const int doubleBuffer : {True, False}) {
        const int attributes[] = {GLX_DRAWABLE_TYPE,
                                  GLX_PBUFFER_BIT,
                                  GLX_RENDER_TYPE,
                                  GLX_RGBA_BIT,
                                  GLX_RED_SIZE,
                                  8,
                                  GLX_GREEN_SIZE,
                                  8,
                                  GLX_BLUE_SIZE,
                                  8,
                                  GLX_DOUBLEBUFFER,
                                  doubleBuffer,
                                  None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(display_, screen_, attributes, &count);
        if (configs == nullptr) continue;
        // NOTE: deeper configurations (10 bits a channel) sort first; their rounding of the blended sums
        // differs from a window's 8 bits by a level here and there, so the picture would not match one drawn
        // on screen.
        GLXFBConfig chosen = nullptr;
        for (int i = 0; i < count && chosen == nullptr; ++i) {
            int red = 0, green = 0, blue = 0;
            glXGetFBConfigAttrib(display_, configs[i], GLX_RED_SIZE, &red);
            glXGetFBConfigAttrib(display_, configs[i], GLX_GREEN_SIZE, &green);
            glXGetFBConfigAttrib(display_, configs[i], GLX_BLUE_SIZE, &blue);
            if (red == 8 && green == 8 && blue == 8) chosen = configs[i];
        }
        XFree(configs);
        if (chosen == nullptr) continue;
        const int pbufferAttributes[] = {GLX_PBUFFER_WIDTH, width_, GLX_PBUFFER_HEIGHT, height_, None};
        pbuffer_ = glXCreatePbuffer(display_, chosen, pbufferAttributes);
        context_ = glXCreateNewContext(display_, chosen, GLX_RGBA_TYPE, nullptr, True);
        if (pbuffer_ == 0 || context_ == nullptr) break;
        drawable_ = pbuffer_;
        doubleBuffered_ = doubleBuffer == True;
        if (glXMakeContextCurrent(display_, drawable_, drawable_, context_)) return true;
        break;
    }
    std::fprintf(stderr, "orvalis: cannot make an offscreen OpenGL buffer of %d x %d\n", width_, height_);
    return false;
}

// A swap interval of 1 where GLX offers one; the loop's own pacing stays in force either way.
void GlxWindow::ApplySwapInterval() {
    const char* extensions = glXQueryExtensionsString(display_, screen_);
    if (extensions == nullptr) return;
    using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
    using SwapIntervalMesa = int (*)(unsigned);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        if (auto setInterval = GlxFunction<SwapIntervalExt>("glXSwapIntervalEXT")) {
            setInterval(display_, drawable_, 1);
            swapIntervalApplied_ = true;
        }
    } else if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        if (auto setInterval = GlxFunction<SwapIntervalMesa>("glXSwapIntervalMESA")) {
            swapIntervalApplied_ = setInterval(1) == 0;
        }
    }
}

void GlxWindow::Present() {
    if (doubleBuffered_) {
        glXSwapBuffers(display_, drawable_);
    } else {
        glFlush();
    }
}

void GlxWindow::Release() {
    if (display_ == nullptr) return;
    if (context_ != nullptr) {
        glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, context_);
    }
    if (pbuffer_ != 0) glXDestroyPbuffer(display_, pbuffer_);
    if (ownWindow_ && !drawableGone) XDestroyWindow(display_, window_);
    if (colormap_ != 0) XFreeColormap(display_, colormap_);
    // Errors about a window that has gone arrive here and are ignored by the handler.
    XSync(display_, False);
    XCloseDisplay(display_);
    display_ = nullptr;
}

}  // namespace orvalis
