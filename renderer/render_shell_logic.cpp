#include "renderer/render_shell_logic.h"

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
    // Only minimising stops the drawing; losing the focus alone does not.
    input.windowActive = HighWord(wParam) == 0;
    const bool activated = LowWord(wParam) != kWaInactive;
    // A full-screen saver that another window has taken over ends, so that whatever protects the
    // desktop behind it (the lock on resume) takes effect; the first activation arms the rule.
    if (activated) input.everActivated = true;
    if (!activated && fullscreen && input.everActivated) input.leaveRequested = true;
    return Decision(MessageAction::kHandled);
}

// Keep another screen saver and the monitor's power-down away while this window has the focus. A
// windowed run leaves the system's own saver (and its lock) free to start.
MessageDecision OnSysCommand(uint64_t wParam, bool fullscreen) {
    const bool swallow = (wParam == kScScreenSave && fullscreen) || wParam == kScMonitorPower;
    return Decision(swallow ? MessageAction::kHandled : MessageAction::kDefault);
}

MessageDecision OnKey(uint32_t message, uint64_t wParam, ShellInput& input) {
    // Anyone can post a key message; a code outside the table must not write past it.
    if (wParam < static_cast<uint64_t>(kKeyCount)) input.keyDown[wParam] = message == kWmKeyDown;
    // A tap whose release arrives before the next idle pass must still end the run.
    if (message == kWmKeyDown && wParam == static_cast<uint64_t>(kVkEscape)) input.escapePressed = true;
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

void NoteDisplayState(ShellInput& input, uint32_t state) {
    input.displayOff = state == 0;
}

int ExitCodeForLoopEnd(bool endedOnQuit, uint64_t quitWParam) {
    return endedOnQuit ? static_cast<int>(quitWParam) : 0;
}

void AdvanceSceneAngles(float& x, float& y, float& z) {
    x += kAngleStepX;
    y += kAngleStepY;
    z += kAngleStepZ;
}

ViewportPlan PlanViewport(int width, int height) {
    ViewportPlan plan;
    plan.width = width;
    plan.height = height == 0 ? 1 : height;
    plan.aspect = static_cast<double>(plan.width) / static_cast<double>(plan.height);
    return plan;
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

int SwapIntervalForRefresh(int refreshHz) {
    if (refreshHz <= 1) return 1;
    int best = 1;
    double bestDistance = 1e300;
    for (int interval = 1; interval <= refreshHz; ++interval) {
        const double rate = static_cast<double>(refreshHz) / interval;
        const double distance =
            rate > kTargetFramesPerSecond ? rate - kTargetFramesPerSecond : kTargetFramesPerSecond - rate;
        if (distance < bestDistance) {
            best = interval;
            bestDistance = distance;
        }
        if (rate < kTargetFramesPerSecond) break;
    }
    return best;
}

double FrameRateLimit(bool swapIntervalApplied, int swapInterval, int refreshHz) {
    if (!swapIntervalApplied || swapInterval < 1) return kTargetFramesPerSecond;
    const double refresh = refreshHz > 1 ? static_cast<double>(refreshHz) : kTargetFramesPerSecond;
    return refresh / swapInterval * 1.1;
}

double FramePacer::WaitMs(double nowMs) const {
    if (!started_ || nowMs >= dueMs_) return 0.0;
    return dueMs_ - nowMs;
}

double FramePacer::SleepMs(double nowMs) const {
    const double wait = WaitMs(nowMs);
    return wait > tickMs_ ? wait - tickMs_ : 0.0;
}

void FramePacer::FrameStarted(double nowMs) {
    if (!started_ || nowMs - dueMs_ > periodMs_) dueMs_ = nowMs;
    dueMs_ += periodMs_;
    started_ = true;
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

bool HasExtension(std::string_view extensions, std::string_view name) {
    if (name.empty()) return false;
    size_t pos = 0;
    while (pos < extensions.size()) {
        while (pos < extensions.size() && extensions[pos] == ' ') ++pos;
        size_t end = extensions.find(' ', pos);
        if (end == std::string_view::npos) end = extensions.size();
        if (extensions.substr(pos, end - pos) == name) return true;
        pos = end;
    }
    return false;
}

namespace {

// The leading number of `text` from `pos` on; -1 when there is none.
int LeadingNumber(std::string_view text, size_t& pos) {
    int value = -1;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value < 100000) {
        value = (value < 0 ? 0 : value * 10) + (text[pos] - '0');
        ++pos;
    }
    return value;
}

bool IsPowerOfTwo(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// The smallest power of two not below `value`, at most `limit`.
int PowerOfTwoAtLeast(int value, int limit) {
    int side = 1;
    while (side < value && side <= limit / 2) side *= 2;
    return side;
}

}  // namespace

bool TakesAnyTextureSize(std::string_view version, std::string_view extensions) {
    if (HasExtension(extensions, "GL_ARB_texture_non_power_of_two")) return true;
    size_t pos = 0;
    const int major = LeadingNumber(version, pos);
    return major >= 2 && pos < version.size() && version[pos] == '.';
}

TextureSize TextureUploadSize(int width, int height, bool anySize, int maxSide) {
    if (anySize || (IsPowerOfTwo(width) && IsPowerOfTwo(height))) return TextureSize{width, height};
    constexpr int kNoLimit = 1 << 30;
    const int limit = maxSide > 0 ? maxSide : kNoLimit;
    return TextureSize{PowerOfTwoAtLeast(width, limit), PowerOfTwoAtLeast(height, limit)};
}

}  // namespace orvalis
