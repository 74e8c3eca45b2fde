#include "renderer/render_shell_logic.h"

namespace orvalis {

namespace {

int LowWord(uint64_t value) {
    return static_cast<int>(value & 0xFFFF);
}
int HighWord(uint64_t value) {
    return static_cast<int>((value >> 16) & 0xFFFF);
}

}  // namespace

MessageDecision DecideRenderMessage(uint32_t message, uint64_t wParam, int64_t lParam,
                                    bool (&keyDown)[kKeyCount], bool& windowActive) {
    MessageDecision decision;
    switch (message) {
        case kWmActivate:
            // Only minimising stops the drawing; losing the focus alone does not.
            windowActive = HighWord(wParam) == 0;
            decision.action = MessageAction::kHandled;
            break;
        case kWmSysCommand:
            // Keep another screen saver and the monitor's power-down away while this window has the focus.
            if (wParam == kScScreenSave || wParam == kScMonitorPower)
                decision.action = MessageAction::kHandled;
            break;
        case kWmClose:
            decision.action = MessageAction::kPostQuit;
            break;
        case kWmKeyDown:
        case kWmKeyUp:
            // Anyone can post a key message; a code outside the table must not write past it.
            if (wParam < static_cast<uint64_t>(kKeyCount)) keyDown[wParam] = message == kWmKeyDown;
            decision.action = MessageAction::kHandled;
            break;
        case kWmSize:
            decision.action = MessageAction::kResize;
            decision.width = LowWord(static_cast<uint64_t>(lParam));
            decision.height = HighWord(static_cast<uint64_t>(lParam));
            break;
        case kWmGetMinMaxInfo:
            // The system caps a window at the screen size; a windowed run on a smaller screen still gets its
            // full 1024 x 768 client area, partly off screen.
            decision.action = MessageAction::kAllowFullSize;
            break;
        default:
            break;
    }
    return decision;
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

}  // namespace orvalis
