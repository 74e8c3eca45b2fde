// The renderer shell's decisions, free of Win32: what a window message does, how the display mode is
// chosen, what an idle pass of the message loop does, and how the scene turns from frame to frame.
// The Win32 side (render_shell_win32.cpp) translates messages and calls into these.
#pragma once

#include <cstdint>
#include <string_view>

namespace orvalis {

// Window message numbers the shell reacts to (the values of the Windows headers; the Win32 side checks).
inline constexpr uint32_t kWmSize = 0x0005;
inline constexpr uint32_t kWmActivate = 0x0006;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmGetMinMaxInfo = 0x0024;
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmSysCommand = 0x0112;
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
};

struct MessageDecision {
    MessageAction action = MessageAction::kDefault;
    int width = 0;
    int height = 0;
};

// The render window's dispatch table: updates the key table and the active flag.
MessageDecision DecideRenderMessage(uint32_t message, uint64_t wParam, int64_t lParam,
                                    bool (&keyDown)[kKeyCount], bool& windowActive);

// What an idle pass of the message loop does when no message is waiting.
enum class IdleResult {
    kSwap,  // show the back buffer and keep looping
    kDone,  // leave the loop
};

// Draws a frame while the window is active, then checks the Escape flag. The frame is drawn before the
// Escape check, as the loop's condition is evaluated left to right.
template <typename RenderFn>
IdleResult RunIdlePass(bool windowActive, const bool (&keyDown)[kKeyCount], RenderFn&& renderFrame) {
    if ((windowActive && !renderFrame()) || keyDown[kVkEscape]) return IdleResult::kDone;
    return IdleResult::kSwap;
}

// The process exit code: the quit message's wParam when the loop ended on WM_QUIT, 0 when it ended on Escape.
int ExitCodeForLoopEnd(bool endedOnQuit, uint64_t quitWParam);

// Scene rotation in degrees; the first frame is drawn at these values.
struct SceneAngles {
    float x = 0.0f;
    float y = 90.0f;
    float z = 0.0f;
};

inline constexpr float kAngleStepX = 0.8f;
inline constexpr float kAngleStepY = 0.95f;
inline constexpr float kAngleStepZ = 0.4f;
inline constexpr int kUpdateStep = 350;

// One frame's advance: single-precision additions, no wrapping.
void AdvanceSceneAngles(float& x, float& y, float& z);

// Viewport and projection for a client size; a zero height becomes 1.
struct ViewportPlan {
    int width = 0;
    int height = 1;
    double aspect = 1.0;
};
ViewportPlan PlanViewport(int width, int height);

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

// True when the space-separated extension list names `name` exactly (not as a prefix of a longer name).
bool HasExtension(std::string_view extensions, std::string_view name);

}  // namespace orvalis
