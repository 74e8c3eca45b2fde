// The Linux program's command line and environment, free of X: XScreenSaver's conventions for where to
// draw (-window-id, -root, $XSCREENSAVER_WINDOW) and the standard options it passes to every display mode,
// -delay between frames, --frames/--save for pictures, and --add-to-xscreensaver.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvalis {

// About 1/60 s: the speed the per-frame steps are made for.
inline constexpr int kDefaultDelayMicroseconds = 16667;
inline constexpr int kMaxDelayMicroseconds = 10'000'000;
inline constexpr long kMaxFrames = 100'000'000;
inline constexpr int kOwnWindowWidth = 1024;
inline constexpr int kOwnWindowHeight = 768;

struct HackOptions {
    bool root = false;                 // -root: draw on the root window
    std::optional<uint32_t> windowId;  // -window-id ID
    int delayMicroseconds = kDefaultDelayMicroseconds;
    long frames = 0;       // --frames N: stop after N frames; 0 runs until told to stop
    std::string savePath;  // --save FILE: the last frame as .png or .ppm
    bool help = false;
    bool addToXScreenSaver = false;  // --add-to-xscreensaver: put Orvalis in ~/.xscreensaver's list and end
};

struct HackOptionsResult {
    HackOptions options;
    std::string error;  // empty when the command line is good
};

// Reads the arguments after the program name. Options take one or two leading dashes; values follow as the
// next argument. Any unknown option, missing or malformed value gives an error text naming it. XScreenSaver's
// standard options (-fps, -no-fps, -install, -noinstall, -visual VISUAL, -mono, -pair) are taken and
// change nothing: the cloud always draws in full colour on a GL visual, with no frame counter.
HackOptionsResult ParseHackOptions(std::span<const std::string_view> args);

// An X window id written in decimal or as 0x hex: a positive value of at most 32 bits, nothing else.
std::optional<uint32_t> ParseWindowId(std::string_view text);

enum class DrawTargetKind {
    kOwnWindow,    // a 1024 x 768 window of the program's own
    kGivenWindow,  // a window made by someone else (the saver daemon or -window-id)
    kRootWindow,   // the screen's root window
    kOffscreen,    // no window: a 1024 x 768 offscreen drawable for --save
};

struct DrawTarget {
    DrawTargetKind kind = DrawTargetKind::kOwnWindow;
    uint32_t window = 0;  // for kGivenWindow
    std::string error;    // a malformed $XSCREENSAVER_WINDOW
};

// -window-id first, then the daemon's $XSCREENSAVER_WINDOW (`saverWindowEnv`, null when unset), then -root;
// otherwise a picture-only run (--save) draws offscreen and any other run opens its own window.
DrawTarget ChooseDrawTarget(const HackOptions& options, const char* saverWindowEnv);

// The highest frame rate to let through: one frame per delay, 0 for no limit. It holds with a swap interval
// too, because drivers without a vertical blank (a virtual X server) take the interval and never wait.
double FrameRateCap(int delayMicroseconds);

std::string HackUsage(std::string_view program);

}  // namespace orvalis
