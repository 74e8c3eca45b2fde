// The renderer shell's rules, free of Win32: what a window message does, how the display mode is chosen,
// what an idle pass of the message loop does, how a run ends and which monitors get covers. The Win32 side
// (renderer/win32/) translates messages and calls into these.
#pragma once

#include <cstdint>
#include <vector>

namespace orvalis {

// Window message numbers the shell reacts to (the values of the Windows headers; the Win32 side checks).
inline constexpr uint32_t kWmSize = 0x0005;
inline constexpr uint32_t kWmActivate = 0x0006;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmGetMinMaxInfo = 0x0024;
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uint32_t kWmDpiChanged = 0x02E0;
inline constexpr uint32_t kWmDisplayChange = 0x007E;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint64_t kScScreenSave = 0xF140;
inline constexpr uint64_t kScMonitorPower = 0xF170;
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kKeyCount = 256;

enum class MessageAction {
    kDefault,        // hand the message to the default window procedure
    kHandled,        // return 0
    kPostQuit,       // PostQuitMessage(0), return 0
    kResize,         // ResizeViewport(width, height), return 0
    kAllowFullSize,  // let the window grow to the frame of the requested client size, return 0
    kRebuildCovers,  // the monitor layout changed: cover the other monitors anew, then the default procedure
    kAskForeground,  // the foreground timer ticked: ask for the foreground again or stop it, return 0
};

struct MessageDecision {
    MessageAction action = MessageAction::kDefault;
    int width = 0;
    int height = 0;
};

// What the window procedure records for the message loop.
struct ShellInput {
    bool keyDown[kKeyCount] = {};  // one flag per virtual-key code
    bool windowActive = true;      // false while the window is minimised
    // A press of Escape, kept even when its release comes before the next idle pass.
    bool escapePressed = false;
    bool everActivated = false;   // the window has been the active window
    bool leaveRequested = false;  // full screen, and the activation went to another window after that
    bool displayOff = false;      // the system has turned the display off
    bool minimised = false;       // the last WM_SIZE said so (a minimised window may stay the active one)
    bool closeRequested = false;  // the window was asked to close
};

// The inputs both shells feed from their own messages and events into one rule for drawing and ending.
// A key went down or up; codes outside the key table are ignored (anyone can send a key).
void NoteKey(ShellInput& input, int key, bool down);
// The window was activated or deactivated; `minimised` stops the drawing. In full screen, losing the
// activation after having had it ends the run.
void NoteActivation(ShellInput& input, bool activated, bool minimised, bool fullscreen);
// The window was asked to close (its close box, Alt+F4, the window manager's delete request).
void NoteCloseRequest(ShellInput& input);

// The render window's dispatch table: updates the key table and the flags. `fullscreen` is true while the
// program runs in its changed display mode.
MessageDecision DecideRenderMessage(uint32_t message, uint64_t wParam, int64_t lParam, ShellInput& input,
                                    bool fullscreen);

// The timer that asks for the foreground again while the shown window has not got it.
inline constexpr uint64_t kForegroundTimerId = 1;
inline constexpr int kForegroundRetryIntervalMs = 100;
inline constexpr int64_t kForegroundRetryMs = 2000;

// Whether a tick of the foreground timer asks for the foreground again: only while the window is not the
// foreground window, and for at most kForegroundRetryMs after it was shown. False stops the timer.
bool AskForegroundAgain(bool isForeground, int64_t msSinceShown);

// The console display's power state as the system reports it (0 off, 1 on, 2 dimmed).
void NoteDisplayState(ShellInput& input, uint32_t state);

// What an idle pass of the message loop does when no message is waiting.
enum class IdleResult {
    kSwap,  // show the back buffer and keep looping
    kDone,  // leave the loop
    kWait,  // nothing to show: sleep until the next message
};

// Whether a frame is wanted: not while the window is minimised or the display is off.
bool FrameWanted(const ShellInput& input);

// Whether the run is over: Escape pressed (held or tapped), a close request, or a full-screen run left for
// another window.
bool RunIsOver(const ShellInput& input);

// Draws a frame when one is wanted, then checks whether the run is over; the frame is drawn before the
// check. Without a wanted frame the loop waits for messages instead of swapping in a loop.
template <typename RenderFn>
IdleResult RunIdlePass(const ShellInput& input, RenderFn&& renderFrame) {
    const bool draw = FrameWanted(input);
    if ((draw && !renderFrame()) || RunIsOver(input)) return IdleResult::kDone;
    return draw ? IdleResult::kSwap : IdleResult::kWait;
}

// The process exit code: the quit message's wParam when the loop ended on WM_QUIT, 0 when it ended on Escape.
int ExitCodeForLoopEnd(bool endedOnQuit, uint64_t quitWParam);

// The display-mode switch as a sequence of attempts, with the platform behind an interface.
class DisplayModeDevice {
public:
    virtual ~DisplayModeDevice() = default;
    // Asks for a full-screen mode; true when the display took it.
    virtual bool TryFullscreen(int width, int height, int bits) = 0;
    // Colour depth of the mode in use now, 0 when unknown.
    virtual int CurrentDepth() = 0;
    // The Yes/No question whether to run in a window instead; true on Yes.
    virtual bool AskWindowed() = 0;
};

enum class DisplayOutcome {
    kFullscreen,  // the display mode was changed
    kWindowed,    // the user chose a normal window
    kAbandon,     // the user declined: start-up ends
};

// Tries width x height at `bits`, then at the current depth when that differs, and only then asks.
DisplayOutcome ChooseDisplayMode(DisplayModeDevice& device, int width, int height, int bits);

// The steps that end a run, with the platform behind an interface.
class RunEndSteps {
public:
    virtual ~RunEndSteps() = default;
    // Back to the display mode in the registry; blocks while the monitors resync.
    virtual void RestoreDisplayMode() = 0;
    // Black covers over every monitor of the layout as the system reports it now, the drawn one included.
    virtual void CoverEveryMonitor() = 0;
    // The GL context, the DC and the render window.
    virtual void ReleaseRenderWindow() = 0;
    // Every cover.
    virtual void RemoveCovers() = 0;
};

// A full-screen run gives the display mode back while its window and covers still hide the desktop, then
// blacks out every monitor of the restored layout (which may have moved, and whose primary monitor the
// render window no longer fills), and only then lets its windows go. A windowed run changed no mode.
void EndRun(RunEndSteps& steps, bool fullscreen);

// A rectangle of the virtual screen, right and bottom exclusive.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

// The monitors that get a black cover while the cloud is drawn full screen on `drawnOn`: every other monitor
// with an area (mirrored monitors share the drawn one's rectangle and need none); none in a window.
std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& drawnOn,
                                   bool fullscreen);

// The full-screen window's rectangle: its monitor's rectangle in real pixels after the mode change, or the
// requested size at the origin when the system reports no monitor.
ScreenRect FullscreenWindowRect(const ScreenRect& monitor, int width, int height);

}  // namespace orvalis
