#include "linux/hack_shell_x11.h"

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "common/texture_picture.h"
#include "renderer/scene/frame_capture.h"
#include "renderer/scene/frame_pacing.h"
#include "renderer/scene/image_write.h"
#include "renderer/scene/render_scene.h"
#include "renderer/shell/render_shell_logic.h"
#include "renderer/texture/dib_reader.h"

// Xlib's macros (None, Bool, Status, ...) come last, after every project header.
#include "linux/glx_window_x11.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace orvalis {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a signal must cut short the wait between frames
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Sleeps up to `ms`, waking early for X events or a signal.
void WaitForEvents(int fd, double ms) {
    pollfd watch{fd, POLLIN, 0};
    timespec timeout{};
    const double clamped = std::fmax(0.0, ms);
    timeout.tv_sec = static_cast<time_t>(clamped / 1000.0);
    timeout.tv_nsec = static_cast<long>(std::fmod(clamped, 1000.0) * 1e6);
    ppoll(&watch, 1, &timeout, nullptr);
}

class Hack {
public:
    explicit Hack(const HackOptions& options) : options_(options) {}

    // Opens the drawable; false after a message.
    bool Open(const DrawTarget& target);
    int Run();

private:
    void HandleEvent(const XEvent& event);
    void FollowSize(int width, int height);
    void PollForeignWindow();
    bool SaveFrame();

    const HackOptions& options_;
    GlxWindow glx_;
    int width_ = 0;
    int height_ = 0;
    ShellInput input_;  // the key, close and activation inputs, fed to the shared end-of-run rule
    RenderScene scene_;
};

bool Hack::Open(const DrawTarget& target) {
    if (!glx_.Open(target)) return false;
    width_ = glx_.width();
    height_ = glx_.height();
    return true;
}

void Hack::FollowSize(int width, int height) {
    // A move or a restack reports the same size: the projection in force stays.
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    ResizeSceneViewport(width_, height_);
}

void Hack::HandleEvent(const XEvent& event) {
    switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == glx_.window())
                FollowSize(event.xconfigure.width, event.xconfigure.height);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == glx_.window()) NoteDrawableGone();
            break;
        case KeyPress: {
            XKeyEvent key = event.xkey;
            if (glx_.ownWindow() && XLookupKeysym(&key, 0) == XK_Escape) NoteKey(input_, kVkEscape, true);
            break;
        }
        case ClientMessage:
            if (glx_.ownWindow() && static_cast<Atom>(event.xclient.data.l[0]) == glx_.deleteWindow())
                NoteCloseRequest(input_);
            break;
        default:
            break;
    }
}

// A window made by someone else may change size without telling us (no event reaches a client that did not
// ask before the change); its attributes are read now and then.
void Hack::PollForeignWindow() {
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(glx_.display(), glx_.window(), &attrs)) {
        NoteDrawableGone();
        return;
    }
    FollowSize(attrs.width, attrs.height);
}

bool Hack::SaveFrame() {
    const std::vector<uint8_t> topDown =
        ReadFrameTopDown(width_, height_, glx_.doubleBuffered() ? GL_BACK : GL_FRONT);
    std::string error;
    if (!WriteImageFile(options_.savePath, width_, height_, topDown, error)) {
        std::fprintf(stderr, "orvalis: %s\n", error.c_str());
        return false;
    }
    return true;
}

int Hack::Run() {
    ResizeSceneViewport(width_, height_);
    const RgbImagePtr picture = DecodeDib(TexturePictureBmp()).image;
    if (!picture || !SetupScene(scene_, *picture)) {
        std::fprintf(stderr, "orvalis: the particle texture or the particles could not be set up\n");
        return 1;
    }
    const double cap = glx_.offscreen() ? 0.0 : FrameRateCap(options_.delayMicroseconds);
    FramePacer pacer(cap > 0.0 ? cap : kTargetFramesPerSecond);
    const int fd = ConnectionNumber(glx_.display());
    long framesDrawn = 0;
    while (!stopRequested && !RunIsOver(input_) && !DrawableGone()) {
        while (XPending(glx_.display()) > 0) {
            XEvent event;
            XNextEvent(glx_.display(), &event);
            HandleEvent(event);
        }
        if (stopRequested || RunIsOver(input_) || DrawableGone()) break;
        if (glx_.foreignWindow() && framesDrawn % 15 == 0) {
            PollForeignWindow();
            if (DrawableGone()) break;
        }
        if (cap > 0.0) {
            const double waitMs = pacer.WaitMs(NowMs());
            if (waitMs > 0.0) {
                WaitForEvents(fd, waitMs);
                continue;
            }
            pacer.FrameStarted(NowMs());
        }
        RenderSceneFrame(scene_);
        ++framesDrawn;
        const bool last = options_.frames > 0 && framesDrawn >= options_.frames;
        if (last && !options_.savePath.empty() && !SaveFrame()) return 1;
        glx_.Present();
        if (last) break;
    }
    return 0;
}

}  // namespace

int RunHack(const HackOptions& options, const DrawTarget& target) {
    InstallStopSignals();
    Hack hack(options);
    if (!hack.Open(target)) return 1;
    return hack.Run();
}

}  // namespace orvalis
