#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "renderer/shell/render_shell_logic.h"

namespace orvalis {
namespace {

using ShellInputState = ShellInput;

MessageDecision Decide(uint32_t message, uint64_t wParam, int64_t lParam, ShellInputState& state,
                       bool fullscreen = true) {
    return DecideRenderMessage(message, wParam, lParam, state, fullscreen);
}

IdleResult Idle(const ShellInputState& state, auto&& render) {
    return RunIdlePass(state, render);
}

TEST(RenderMessageTest, KeyTableFollowsDownAndUp) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmKeyDown, kVkEscape, 0, state).action, MessageAction::kHandled);
    EXPECT_TRUE(state.keyDown[kVkEscape]);
    EXPECT_EQ(Decide(kWmKeyDown, 'A', 0, state).action, MessageAction::kHandled);
    EXPECT_EQ(Decide(kWmKeyUp, kVkEscape, 0, state).action, MessageAction::kHandled);
    EXPECT_FALSE(state.keyDown[kVkEscape]);
    EXPECT_TRUE(state.keyDown['A']);
}

TEST(RenderMessageTest, KeyCodesOutsideTheTableAreIgnored) {
    ShellInputState state;
    // A posted key message may carry any wParam; the table and the flag after it must stay untouched.
    Decide(kWmKeyDown, 256, 0, state);
    Decide(kWmKeyDown, 0xFFFFFFFFFFFFFFFFull, 0, state);
    Decide(kWmKeyDown, 256 + kVkEscape, 0, state);
    for (bool down : state.keyDown) EXPECT_FALSE(down);
    EXPECT_TRUE(state.windowActive);
}

constexpr uint64_t kWaInactive = 0, kWaActive = 1, kWaClickActive = 2;

TEST(RenderMessageTest, OnlyMinimisingDeactivates) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmActivate, kWaInactive, 0, state, false).action, MessageAction::kHandled);
    EXPECT_TRUE(state.windowActive) << "losing the focus keeps drawing";
    Decide(kWmActivate, (1u << 16) | kWaInactive, 0, state, false);
    EXPECT_FALSE(state.windowActive);
    Decide(kWmActivate, kWaActive, 0, state, false);
    EXPECT_TRUE(state.windowActive);
    Decide(kWmActivate, 0xFFFF0000u | kWaActive, 0, state, false);
    EXPECT_FALSE(state.windowActive);
    // Bits above the high word of a 64-bit wParam are not part of the minimised flag.
    Decide(kWmActivate, 0x100000000ull | kWaActive, 0, state, false);
    EXPECT_TRUE(state.windowActive);
    Decide(kWmActivate, kWaInactive, 0, state, false);
    EXPECT_FALSE(state.leaveRequested) << "a window the user chose keeps its pause";
}

TEST(RenderMessageTest, FullScreenRunEndsWhenAnotherWindowTakesOverAfterTheFirstActivation) {
    int frames = 0;
    auto render = [&] { return ++frames > 0; };
    ShellInputState state;
    Decide(kWmActivate, kWaInactive, 0, state);
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap) << "not yet active: a deactivation means nothing";
    Decide(kWmActivate, kWaClickActive, 0, state);
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap);
    Decide(kWmActivate, kWaInactive, 0, state);
    EXPECT_EQ(Idle(state, render), IdleResult::kDone);
    Decide(kWmActivate, kWaActive, 0, state);
    EXPECT_EQ(Idle(state, render), IdleResult::kDone) << "coming back does not undo the end";

    ShellInputState minimised;
    Decide(kWmActivate, kWaActive, 0, minimised);
    Decide(kWmActivate, (1u << 16) | kWaInactive, 0, minimised);
    EXPECT_EQ(Idle(minimised, render), IdleResult::kDone);
}

TEST(RenderMessageTest, ScreenSaveAndMonitorPowerAreSwallowedExactly) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmSysCommand, 0xF140, 0, state).action, MessageAction::kHandled);
    EXPECT_EQ(Decide(kWmSysCommand, 0xF140, 0, state, false).action, MessageAction::kDefault)
        << "a window leaves the system's own saver free to start";
    EXPECT_EQ(Decide(kWmSysCommand, 0xF170, 2, state, false).action, MessageAction::kHandled);
    EXPECT_EQ(Decide(kWmSysCommand, 0xF170, 2, state).action, MessageAction::kHandled);
    // Only the exact values are swallowed; everything else, including the low-bit variants and Close, is
    // left to the default procedure.
    for (uint64_t other : {0xF141ull, 0xF172ull, 0xF060ull, 0xF020ull, 0ull}) {
        EXPECT_EQ(Decide(kWmSysCommand, other, 0, state).action, MessageAction::kDefault) << other;
    }
}

TEST(RenderMessageTest, CloseQuitsAndSizeResizes) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmClose, 0, 0, state).action, MessageAction::kPostQuit);
    MessageDecision size = Decide(kWmSize, 0, (768 << 16) | 1024, state);
    EXPECT_EQ(size.action, MessageAction::kResize);
    EXPECT_EQ(size.width, 1024);
    EXPECT_EQ(size.height, 768);
    MessageDecision wide = Decide(kWmSize, 0, 0xFFFFFFFF00000000ll | (0xFFFFll << 16) | 0xFFFF, state);
    EXPECT_EQ(wide.width, 65535);
    EXPECT_EQ(wide.height, 65535);
}

TEST(RenderMessageTest, SizeLimitsAllowTheFullClientArea) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmGetMinMaxInfo, 0, 0, state).action, MessageAction::kAllowFullSize);
}

TEST(RenderMessageTest, FullScreenKeepsItsPixelsAndCoversFollowTheLayout) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmDpiChanged, 0x00900090, 0, state).action, MessageAction::kHandled);
    EXPECT_EQ(Decide(kWmDpiChanged, 0x00900090, 0, state, false).action, MessageAction::kDefault);
    EXPECT_EQ(Decide(kWmDisplayChange, 16, (768 << 16) | 1024, state).action, MessageAction::kRebuildCovers);
    EXPECT_EQ(Decide(kWmDisplayChange, 16, (768 << 16) | 1024, state, false).action, MessageAction::kDefault);
}

TEST(RenderMessageTest, OtherMessagesGoToTheDefaultProcedure) {
    ShellInputState state;
    constexpr uint32_t kWmMouseMove = 0x0200, kWmLButtonDown = 0x0201, kWmChar = 0x0102, kWmPaint = 0x000F;
    for (uint32_t message : {kWmMouseMove, kWmLButtonDown, kWmChar, kWmPaint}) {
        EXPECT_EQ(Decide(message, kVkEscape, 0, state).action, MessageAction::kDefault);
    }
    EXPECT_FALSE(state.keyDown[kVkEscape]);
    EXPECT_TRUE(state.windowActive);
}

TEST(IdlePassTest, DrawsWhileActiveAndStopsOnEscape) {
    ShellInputState state;
    int frames = 0;
    auto render = [&] {
        ++frames;
        return true;
    };
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap);
    EXPECT_EQ(frames, 1);

    state.windowActive = false;
    EXPECT_EQ(Idle(state, render), IdleResult::kWait) << "a minimised window waits for messages";
    EXPECT_EQ(frames, 1) << "no frame is drawn while minimised";

    state.keyDown[kVkEscape] = true;
    EXPECT_EQ(Idle(state, render), IdleResult::kDone);
    EXPECT_EQ(frames, 1);
    state.windowActive = true;
    EXPECT_EQ(Idle(state, render), IdleResult::kDone);
    EXPECT_EQ(frames, 2) << "the frame is drawn before the Escape check";

    ShellInputState failing;
    EXPECT_EQ(Idle(failing, [] { return false; }), IdleResult::kDone);

    // A minimised window that the system left active (no other window to activate) still waits.
    ShellInputState iconic;
    Decide(kWmSize, 1, 0, iconic, false);
    EXPECT_EQ(Idle(iconic, render), IdleResult::kWait);
    Decide(kWmSize, 0, (240 << 16) | 320, iconic, false);
    EXPECT_EQ(Idle(iconic, render), IdleResult::kSwap);
}

TEST(IdlePassTest, EscapeTappedBetweenTwoPassesStillEnds) {
    auto render = [] { return true; };
    ShellInputState state;
    Decide(kWmKeyDown, 'A', 0, state);
    Decide(kWmKeyUp, 'A', 0, state);
    Decide(kWmKeyDown, kVkEscape + 256, 0, state);
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap) << "other keys do not end it";
    Decide(kWmKeyDown, kVkEscape, 0, state);
    Decide(kWmKeyUp, kVkEscape, 0, state);
    EXPECT_FALSE(state.keyDown[kVkEscape]) << "the key table still follows the release";
    EXPECT_EQ(Idle(state, render), IdleResult::kDone);

    ShellInputState released;
    Decide(kWmKeyUp, kVkEscape, 0, released);
    EXPECT_EQ(Idle(released, render), IdleResult::kSwap) << "a release alone is no press";
}

TEST(IdlePassTest, NothingIsDrawnWhileTheDisplayIsOff) {
    ShellInputState state;
    int frames = 0;
    auto render = [&] { return ++frames > 0; };
    NoteDisplayState(state, 0);
    EXPECT_EQ(Idle(state, render), IdleResult::kWait);
    EXPECT_EQ(frames, 0);
    NoteDisplayState(state, 2);
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap) << "a dimmed display still shows the cloud";
    NoteDisplayState(state, 0);
    NoteDisplayState(state, 1);
    EXPECT_EQ(Idle(state, render), IdleResult::kSwap);
    EXPECT_EQ(frames, 2);
    NoteDisplayState(state, 0);
    state.escapePressed = true;
    EXPECT_EQ(Idle(state, render), IdleResult::kDone) << "Escape ends it in the dark too";
}

// The named inputs a shell without window messages feeds (the X11 shell): each row from a fresh state.
TEST(IdlePassTest, NamedInputsEndTheRunOrStopTheDrawing) {
    struct Row {
        const char* what;
        void (*feed)(ShellInput&);
        bool over;
        bool drawn;
    };
    const Row rows[] = {
        {"nothing", [](ShellInput&) {}, false, true},
        {"Escape down", [](ShellInput& in) { NoteKey(in, kVkEscape, true); }, true, true},
        {"Escape tapped",
         [](ShellInput& in) {
             NoteKey(in, kVkEscape, true);
             NoteKey(in, kVkEscape, false);
         },
         true, true},
        {"another key", [](ShellInput& in) { NoteKey(in, 'A', true); }, false, true},
        {"a code past the table", [](ShellInput& in) { NoteKey(in, kKeyCount + kVkEscape, true); }, false,
         true},
        {"a negative code", [](ShellInput& in) { NoteKey(in, -1, true); }, false, true},
        // A write past the table would land in the flags behind it (the window would count as minimised).
        {"the code just past the table", [](ShellInput& in) { NoteKey(in, kKeyCount, false); }, false, true},
        {"a close request", [](ShellInput& in) { NoteCloseRequest(in); }, true, true},
        {"minimised", [](ShellInput& in) { NoteActivation(in, false, true, false); }, false, false},
        {"left in a window",
         [](ShellInput& in) {
             NoteActivation(in, true, false, false);
             NoteActivation(in, false, false, false);
         },
         false, true},
        {"left in full screen",
         [](ShellInput& in) {
             NoteActivation(in, true, false, true);
             NoteActivation(in, false, false, true);
         },
         true, true},
        {"full screen never activated", [](ShellInput& in) { NoteActivation(in, false, false, true); }, false,
         true},
    };
    for (const Row& row : rows) {
        ShellInput input;
        row.feed(input);
        int frames = 0;
        const IdleResult result = RunIdlePass(input, [&] { return ++frames > 0; });
        EXPECT_EQ(RunIsOver(input), row.over) << row.what;
        EXPECT_EQ(frames, row.drawn ? 1 : 0) << row.what;
        EXPECT_EQ(result, row.over    ? IdleResult::kDone
                          : row.drawn ? IdleResult::kSwap
                                      : IdleResult::kWait)
            << row.what;
    }
}

TEST(CoverTest, EveryOtherMonitorIsCoveredWhereverItLies) {
    const ScreenRect primary{0, 0, 1024, 768};
    const ScreenRect right{1024, 0, 1824, 600};
    const ScreenRect left{-1280, -200, 0, 824};
    const ScreenRect above{0, -1080, 1920, 0};
    const ScreenRect empty{50, 50, 50, 900};
    const std::vector<ScreenRect> desk{left, primary, right, above, empty, primary};
    EXPECT_EQ(CoverRects(desk, primary, true), (std::vector<ScreenRect>{left, right, above}));
    EXPECT_EQ(CoverRects(desk, right, true), (std::vector<ScreenRect>{left, primary, above, primary}));
    EXPECT_TRUE(CoverRects(desk, primary, false).empty()) << "no cover in a window";
    EXPECT_TRUE(CoverRects({primary}, primary, true).empty());
}

TEST(CoverTest, FullScreenWindowTakesItsMonitorsPixels) {
    EXPECT_EQ(FullscreenWindowRect({0, 0, 1024, 768}, 1024, 768), (ScreenRect{0, 0, 1024, 768}));
    EXPECT_EQ(FullscreenWindowRect({0, 0, 1536, 1152}, 1024, 768), (ScreenRect{0, 0, 1536, 1152}));
    EXPECT_EQ(FullscreenWindowRect({}, 1024, 768), (ScreenRect{0, 0, 1024, 768}));
}

TEST(ExitCodeTest, QuitCarriesItsCodeEscapeGivesZero) {
    EXPECT_EQ(ExitCodeForLoopEnd(true, 0), 0);
    EXPECT_EQ(ExitCodeForLoopEnd(true, 7), 7);
    EXPECT_EQ(ExitCodeForLoopEnd(false, 7), 0);
}

class FakeDisplay : public DisplayModeDevice {
public:
    std::vector<int> acceptedDepths;
    int currentDepth = 32;
    bool answerYes = false;
    std::vector<std::string> calls;

    bool TryFullscreen(int width, int height, int bits) override {
        calls.push_back("try " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                        std::to_string(bits));
        for (int depth : acceptedDepths) {
            if (depth == bits) return true;
        }
        return false;
    }
    int CurrentDepth() override {
        calls.push_back("depth");
        return currentDepth;
    }
    bool AskWindowed() override {
        calls.push_back("ask");
        return answerYes;
    }
};

TEST(DisplayModeTest, SixteenBitsTakenAtOnce) {
    FakeDisplay display;
    display.acceptedDepths = {16, 32};
    EXPECT_EQ(ChooseDisplayMode(display, 1024, 768, 16), DisplayOutcome::kFullscreen);
    EXPECT_EQ(display.calls, (std::vector<std::string>{"try 1024x768x16"}));
}

TEST(DisplayModeTest, FallsBackToTheCurrentDepthBeforeAsking) {
    FakeDisplay display;
    display.acceptedDepths = {32};
    EXPECT_EQ(ChooseDisplayMode(display, 1024, 768, 16), DisplayOutcome::kFullscreen);
    EXPECT_EQ(display.calls, (std::vector<std::string>{"try 1024x768x16", "depth", "try 1024x768x32"}));
}

TEST(DisplayModeTest, AsksOnlyWhenBothDepthsAreRefused) {
    FakeDisplay display;
    display.answerYes = true;
    EXPECT_EQ(ChooseDisplayMode(display, 1024, 768, 16), DisplayOutcome::kWindowed);
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"try 1024x768x16", "depth", "try 1024x768x32", "ask"}));

    display.answerYes = false;
    display.calls.clear();
    EXPECT_EQ(ChooseDisplayMode(display, 1024, 768, 16), DisplayOutcome::kAbandon);
    EXPECT_EQ(display.calls.back(), "ask");
}

TEST(DisplayModeTest, NoSecondAttemptAtTheSameOrAnUnknownDepth) {
    FakeDisplay same;
    same.currentDepth = 16;
    EXPECT_EQ(ChooseDisplayMode(same, 1024, 768, 16), DisplayOutcome::kAbandon);
    EXPECT_EQ(same.calls, (std::vector<std::string>{"try 1024x768x16", "depth", "ask"}));

    FakeDisplay unknown;
    unknown.currentDepth = 0;
    unknown.answerYes = true;
    EXPECT_EQ(ChooseDisplayMode(unknown, 1024, 768, 16), DisplayOutcome::kWindowed);
    EXPECT_EQ(unknown.calls, (std::vector<std::string>{"try 1024x768x16", "depth", "ask"}));
}

class RecordingRunEnd : public RunEndSteps {
public:
    std::vector<std::string> calls;
    void RestoreDisplayMode() override { calls.push_back("restore"); }
    void CoverEveryMonitor() override { calls.push_back("cover all"); }
    void ReleaseRenderWindow() override { calls.push_back("window"); }
    void RemoveCovers() override { calls.push_back("covers"); }
};

TEST(RunEndTest, ModeComesBackBehindTheCoversAndTheWindowsGoLast) {
    RecordingRunEnd fullscreen;
    EndRun(fullscreen, true);
    EXPECT_EQ(fullscreen.calls, (std::vector<std::string>{"restore", "cover all", "window", "covers"}));
    RecordingRunEnd windowed;
    EndRun(windowed, false);
    EXPECT_EQ(windowed.calls, (std::vector<std::string>{"window", "covers"}));
}

TEST(ForegroundTest, AsksAgainOnlyWhileRefusedAndForTwoSeconds) {
    ShellInputState state;
    EXPECT_EQ(Decide(kWmTimer, kForegroundTimerId, 0, state).action, MessageAction::kAskForeground);
    EXPECT_EQ(Decide(kWmTimer, kForegroundTimerId, 0, state, false).action, MessageAction::kAskForeground);
    EXPECT_EQ(Decide(kWmTimer, kForegroundTimerId + 1, 0, state).action, MessageAction::kDefault);
    const std::pair<int64_t, bool> notForeground[] = {
        {0, true}, {100, true}, {1999, true}, {2000, false}, {60000, false}};
    for (auto [ms, ask] : notForeground) EXPECT_EQ(AskForegroundAgain(false, ms), ask) << ms;
    for (int64_t ms : {0, 100, 1999}) EXPECT_FALSE(AskForegroundAgain(true, ms)) << ms;
}

}  // namespace
}  // namespace orvalis
