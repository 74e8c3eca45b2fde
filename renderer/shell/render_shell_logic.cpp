#include "renderer/shell/render_shell_logic.h"

namespace orvalis {

namespace {

int LowWord(uint64_t value) {
    return static_cast<int>(value & 0xFFFF);
}
int HighWord(uint64_t value) {
    return static_cast<int>((value >> 16) & 0xFFFF);
}

constexpr int kWaInactive = 0;
constexpr uint64_t kSizeMinimized = 1;

MessageDecision Decision(MessageAction action) {
    MessageDecision decision;
    decision.action = action;
    return decision;
}

MessageDecision OnActivate(uint64_t wParam, ShellInput& input, bool fullscreen) {
    NoteActivation(input, LowWord(wParam) != kWaInactive, HighWord(wParam) != 0, fullscreen);
    return Decision(MessageAction::kHandled);
}

// Keep another screen saver and the monitor's power-down away while this window has the focus. A
// windowed run leaves the system's own saver (and its lock) free to start.
MessageDecision OnSysCommand(uint64_t wParam, bool fullscreen) {
    const bool swallow = (wParam == kScScreenSave && fullscreen) || wParam == kScMonitorPower;
    return Decision(swallow ? MessageAction::kHandled : MessageAction::kDefault);
}

MessageDecision OnKey(uint32_t message, uint64_t wParam, ShellInput& input) {
    if (wParam < static_cast<uint64_t>(kKeyCount))
        NoteKey(input, static_cast<int>(wParam), message == kWmKeyDown);
    return Decision(MessageAction::kHandled);
}

MessageDecision OnSize(uint64_t wParam, int64_t lParam, ShellInput& input) {
    input.minimised = wParam == kSizeMinimized;
    MessageDecision decision = Decision(MessageAction::kResize);
    decision.width = LowWord(static_cast<uint64_t>(lParam));
    decision.height = HighWord(static_cast<uint64_t>(lParam));
    return decision;
}

}  // namespace

MessageDecision DecideRenderMessage(uint32_t message, uint64_t wParam, int64_t lParam, ShellInput& input,
                                    bool fullscreen) {
    switch (message) {
        case kWmActivate:
            return OnActivate(wParam, input, fullscreen);
        case kWmSysCommand:
            return OnSysCommand(wParam, fullscreen);
        case kWmClose:
            NoteCloseRequest(input);
            return Decision(MessageAction::kPostQuit);
        case kWmKeyDown:
        case kWmKeyUp:
            return OnKey(message, wParam, input);
        case kWmSize:
            return OnSize(wParam, lParam, input);
        case kWmGetMinMaxInfo:
            // The system caps a window at the screen size; a windowed run on a smaller screen still gets its
            // full 1024 x 768 client area, partly off screen.
            return Decision(MessageAction::kAllowFullSize);
        case kWmDpiChanged:
            // The full-screen window keeps the monitor's pixel rectangle. A window is left to the default
            // procedure, which does not move or resize it: the 1024 x 768 client area stays in real pixels.
            return Decision(fullscreen ? MessageAction::kHandled : MessageAction::kDefault);
        case kWmDisplayChange:
            return Decision(fullscreen ? MessageAction::kRebuildCovers : MessageAction::kDefault);
        case kWmTimer:
            return Decision(wParam == kForegroundTimerId ? MessageAction::kAskForeground
                                                         : MessageAction::kDefault);
        default:
            return Decision(MessageAction::kDefault);
    }
}

bool AskForegroundAgain(bool isForeground, int64_t msSinceShown) {
    return !isForeground && msSinceShown < kForegroundRetryMs;
}

void NoteKey(ShellInput& input, int key, bool down) {
    // A code outside the table must not write past it.
    if (key < 0 || key >= kKeyCount) return;
    input.keyDown[key] = down;
    // A tap whose release arrives before the next idle pass must still end the run.
    if (down && key == kVkEscape) input.escapePressed = true;
}

void NoteActivation(ShellInput& input, bool activated, bool minimised, bool fullscreen) {
    // Only minimising stops the drawing; losing the focus alone does not.
    input.windowActive = !minimised;
    // A full-screen saver that another window has taken over ends, so that whatever protects the
    // desktop behind it (the lock on resume) takes effect; the first activation arms the rule.
    if (activated) input.everActivated = true;
    if (!activated && fullscreen && input.everActivated) input.leaveRequested = true;
}

void NoteCloseRequest(ShellInput& input) {
    input.closeRequested = true;
}

void NoteDisplayState(ShellInput& input, uint32_t state) {
    input.displayOff = state == 0;
}

bool FrameWanted(const ShellInput& input) {
    return input.windowActive && !input.minimised && !input.displayOff;
}

bool RunIsOver(const ShellInput& input) {
    return input.keyDown[kVkEscape] || input.escapePressed || input.closeRequested || input.leaveRequested;
}

int ExitCodeForLoopEnd(bool endedOnQuit, uint64_t quitWParam) {
    return endedOnQuit ? static_cast<int>(quitWParam) : 0;
}

DisplayOutcome ChooseDisplayMode(DisplayModeDevice& device, int width, int height, int bits) {
    if (device.TryFullscreen(width, height, bits)) return DisplayOutcome::kFullscreen;
    // A display that has the size but not the depth (most modern ones have no 16-bit modes) still gives
    // a full screen at its own depth rather than a question.
    const int current = device.CurrentDepth();
    if (current > 0 && current != bits && device.TryFullscreen(width, height, current)) {
        return DisplayOutcome::kFullscreen;
    }
    return device.AskWindowed() ? DisplayOutcome::kWindowed : DisplayOutcome::kAbandon;
}

void EndRun(RunEndSteps& steps, bool fullscreen) {
    if (fullscreen) {
        steps.RestoreDisplayMode();
        steps.CoverEveryMonitor();
    }
    steps.ReleaseRenderWindow();
    steps.RemoveCovers();
}

std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& drawnOn,
                                   bool fullscreen) {
    std::vector<ScreenRect> covers;
    if (!fullscreen) return covers;
    for (const ScreenRect& monitor : monitors) {
        if (monitor.right <= monitor.left || monitor.bottom <= monitor.top) continue;
        if (monitor == drawnOn) continue;
        covers.push_back(monitor);
    }
    return covers;
}

ScreenRect FullscreenWindowRect(const ScreenRect& monitor, int width, int height) {
    if (monitor.right > monitor.left && monitor.bottom > monitor.top) return monitor;
    return ScreenRect{0, 0, width, height};
}

}  // namespace orvalis
