#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "renderer/scene/frame_pacing.h"
#include "renderer/scene/gl_caps.h"
#include "renderer/scene/scene_motion.h"
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

TEST(PacingTest, SwapIntervalNearestToSixtyFramesASecond) {
    const std::pair<int, int> cases[] = {{0, 1},   {1, 1},   {30, 1},  {59, 1},  {60, 1},  {75, 1}, {90, 2},
                                         {100, 2}, {120, 2}, {144, 2}, {165, 3}, {240, 4}, {360, 6}};
    for (auto [refresh, interval] : cases) EXPECT_EQ(SwapIntervalForRefresh(refresh), interval) << refresh;
}

TEST(PacingTest, LimitIsSixtyWithoutAnIntervalAndAMarginAboveTheDisplayWithOne) {
    EXPECT_DOUBLE_EQ(FrameRateLimit(false, 1, 144), 60.0);
    EXPECT_DOUBLE_EQ(FrameRateLimit(true, 0, 60), 60.0);
    EXPECT_DOUBLE_EQ(FrameRateLimit(true, 2, 144), 79.2);
    EXPECT_DOUBLE_EQ(FrameRateLimit(true, 1, 0), 66.0);
}

TEST(PacingTest, FramesAreSpacedByOnePeriodAndALateLoopStartsAfresh) {
    FramePacer pacer(50.0);  // 20 ms
    EXPECT_DOUBLE_EQ(pacer.WaitMs(1000.0), 0.0) << "the first frame is due at once";
    pacer.FrameStarted(1000.0);
    EXPECT_DOUBLE_EQ(pacer.WaitMs(1005.0), 15.0);
    EXPECT_DOUBLE_EQ(pacer.WaitMs(1020.0), 0.0);
    pacer.FrameStarted(1023.0);  // drawn 3 ms late: the next one is still due at 1040
    EXPECT_DOUBLE_EQ(pacer.WaitMs(1030.0), 10.0);
    pacer.FrameStarted(1100.0);  // far behind: no burst of frames to catch up
    EXPECT_DOUBLE_EQ(pacer.WaitMs(1101.0), 19.0);
}

// A loop on a timer whose waits end on the next 15.625 ms tick at or after the time asked, drawing frames of
// `renderMs` each for ten seconds: the mean frame rate, the longest gap between frames, and the most ticks
// one frame waited through.
struct CoarseRun {
    double framesPerSecond = 0.0;
    double longestGapMs = 0.0;
    int mostTicksForOneFrame = 0;
};

CoarseRun RunOnCoarseTimer(double pacerTickMs, double renderMs) {
    constexpr double kTick = kSystemTimerTickMs;
    constexpr double kPollMs = 0.05;  // one pass of the loop that only polls
    FramePacer pacer(60.0, pacerTickMs);
    CoarseRun run;
    double now = 3.0;  // not on a tick
    double lastFrame = -1.0;
    int frames = 0;
    int ticks = 0;
    while (now < 10000.0) {
        if (pacer.WaitMs(now) > 0.0) {
            const double sleep = pacer.SleepMs(now);
            if (sleep > 0.0) {
                const double end = std::ceil((now + sleep) / kTick) * kTick;
                ticks += static_cast<int>(std::floor(end / kTick) - std::floor(now / kTick));
                now = end;
            } else {
                now += kPollMs;
            }
            continue;
        }
        if (lastFrame >= 0.0) run.longestGapMs = std::max(run.longestGapMs, now - lastFrame);
        run.mostTicksForOneFrame = std::max(run.mostTicksForOneFrame, ticks);
        ticks = 0;
        lastFrame = now;
        ++frames;
        pacer.FrameStarted(now);
        now += renderMs;
    }
    run.framesPerSecond = frames / ((now - 3.0) / 1000.0);
    return run;
}

TEST(PacingTest, CoarseTimerKeepsSixtyAndNeverWaitsTwoTicksForAFrame) {
    for (double renderMs : {0.5, 2.0, 6.0, 14.0}) {
        const CoarseRun run = RunOnCoarseTimer(kSystemTimerTickMs, renderMs);
        EXPECT_NEAR(run.framesPerSecond, 60.0, 3.0) << renderMs;
        EXPECT_LE(run.mostTicksForOneFrame, 1) << renderMs;
        EXPECT_LT(run.longestGapMs, 2 * kSystemTimerTickMs) << renderMs;
        EXPECT_LT(run.longestGapMs, 1000.0 / 60.0 + 0.2) << renderMs;
    }
    // The same clock with a pacer that takes the timer for exact: gaps of two ticks, as the judder showed.
    const CoarseRun naive = RunOnCoarseTimer(0.0, 2.0);
    EXPECT_GE(naive.mostTicksForOneFrame, 2);
    EXPECT_GE(naive.longestGapMs, 2 * kSystemTimerTickMs - 2.0);
}

TEST(PacingTest, SleepsOnlyThePartOfTheWaitThatEndsATickEarly) {
    FramePacer exact(50.0);  // 20 ms, a high-resolution timer
    exact.FrameStarted(1000.0);
    EXPECT_DOUBLE_EQ(exact.SleepMs(1005.0), 15.0);
    FramePacer coarse(50.0, 15.625);
    coarse.FrameStarted(1000.0);
    EXPECT_DOUBLE_EQ(coarse.SleepMs(1000.0), 4.375);
    EXPECT_DOUBLE_EQ(coarse.SleepMs(1004.375), 0.0);
    EXPECT_DOUBLE_EQ(coarse.WaitMs(1004.375), 15.625);
    EXPECT_DOUBLE_EQ(coarse.SleepMs(1019.0), 0.0);
    EXPECT_DOUBLE_EQ(coarse.SleepMs(1021.0), 0.0);
}

TEST(TextureSizeTest, OnlyOldDriversWithoutTheExtensionGetPowersOfTwo) {
    const char* npot = "GL_ARB_multitexture GL_ARB_texture_non_power_of_two GL_EXT_bgra";
    EXPECT_FALSE(TakesAnyTextureSize("1.1.0", "GL_ARB_multitexture GL_EXT_bgra"));
    EXPECT_FALSE(TakesAnyTextureSize("1.5 Mesa 22.3.6", "GL_ARB_texture_non_power_of_two_x"));
    EXPECT_TRUE(TakesAnyTextureSize("1.1.0", npot));
    EXPECT_TRUE(TakesAnyTextureSize("2.0", ""));
    EXPECT_TRUE(TakesAnyTextureSize("4.5 (Compatibility Profile) Mesa 22.3.6", ""));
    EXPECT_TRUE(TakesAnyTextureSize("10.0", ""));
    for (const char* unknown : {"", "OpenGL ES 3.2", "2", "x2.1"}) {
        EXPECT_FALSE(TakesAnyTextureSize(unknown, "")) << unknown;
    }

    struct Case {
        int width, height;
        bool anySize;
        int maxSide;
        TextureSize expected;
    };
    const Case cases[] = {
        {128, 128, false, 1024, {128, 128}},  // the host's picture, unchanged
        {120, 100, false, 1024, {128, 128}}, {129, 64, false, 1024, {256, 64}},
        {1, 3, false, 1024, {1, 4}},         {120, 100, true, 1024, {120, 100}},
        {3000, 5, false, 1024, {1024, 8}},   {3000, 5, false, 1000, {512, 8}},
        {3000, 5, false, 0, {4096, 8}},      {64, 2048, false, 1024, {64, 2048}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextureUploadSize(c.width, c.height, c.anySize, c.maxSide), c.expected)
            << c.width << "x" << c.height << " max " << c.maxSide;
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

TEST(SceneAnglesTest, StartsAtNinetyAboutYAndAdvancesInSinglePrecision) {
    SceneAngles angles;
    EXPECT_EQ(angles.x, 0.0f);
    EXPECT_EQ(angles.y, 90.0f);
    EXPECT_EQ(angles.z, 0.0f);
    float x = angles.x, y = angles.y, z = angles.z;
    float ex = 0.0f, ey = 90.0f, ez = 0.0f;
    for (int frame = 0; frame < 100000; ++frame) {
        AdvanceSceneAngles(x, y, z);
        ex = ex + 0.8f;
        ey = ey + 0.95f;
        ez = ez + 0.4f;
    }
    // Bit-identical to repeated float additions: no wrapping to 360, no double accumulation.
    EXPECT_EQ(x, ex);
    EXPECT_EQ(y, ey);
    EXPECT_EQ(z, ez);
    EXPECT_GT(y, 360.0f);
}

TEST(ViewportTest, ZeroHeightBecomesOneAndAspectIsExact) {
    ViewportPlan zero = PlanViewport(640, 0);
    EXPECT_EQ(zero.width, 640);
    EXPECT_EQ(zero.height, 1);
    EXPECT_DOUBLE_EQ(zero.aspect, 640.0);
    EXPECT_DOUBLE_EQ(PlanViewport(1024, 768).aspect, 1024.0 / 768.0);
    EXPECT_DOUBLE_EQ(PlanViewport(0, 0).aspect, 0.0);
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

TEST(ExtensionListTest, MatchesWholeNamesOnly) {
    EXPECT_TRUE(HasExtension("WGL_ARB_extensions_string WGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_TRUE(HasExtension("  WGL_EXT_swap_control  ", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("WGL_EXT_swap_control_tear", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("XWGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("WGL_EXT_swap_control", ""));
}

}  // namespace
}  // namespace orvalis
