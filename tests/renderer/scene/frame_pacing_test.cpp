#include "renderer/scene/frame_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvalis {
namespace {

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

}  // namespace
}  // namespace orvalis
