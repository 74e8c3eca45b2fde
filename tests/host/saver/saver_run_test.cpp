#include "host/saver/saver_run.h"

#include <gtest/gtest.h>

TEST(SaverEnd, StopsWhatPlaysAndGivesTheCursorBackOnlyForS) {
    using orvalis::MusicKind;
    using orvalis::PlanSaverEnd;
    auto end = PlanSaverEnd({.timer2On = true, .music = MusicKind::Cd, .commandLine = "/s"});
    EXPECT_TRUE(end.stopCd);
    EXPECT_FALSE(end.stopWav || end.stopMp3);
    EXPECT_TRUE(end.restoreCursor);

    // A CD watch that switched itself off leaves the device alone.
    end = PlanSaverEnd({.timer2On = false, .music = MusicKind::Cd, .commandLine = "/S"});
    EXPECT_FALSE(end.stopCd);

    end = PlanSaverEnd({.music = MusicKind::Wav, .commandLine = ""});
    EXPECT_TRUE(end.stopWav);
    EXPECT_FALSE(end.stopMp3 || end.stopCd || end.restoreCursor);

    end = PlanSaverEnd({.music = MusicKind::Mp3, .commandLine = "-s"});
    EXPECT_TRUE(end.stopMp3);
    EXPECT_TRUE(end.restoreCursor);

    end = PlanSaverEnd({.music = MusicKind::None, .commandLine = "/s"});
    EXPECT_FALSE(end.stopCd || end.stopWav || end.stopMp3);
}

TEST(SaverEnd, DisplayModeAndTextureCopyFollowWhatTheRunDid) {
    using orvalis::PlanSaverEnd;
    // A started renderer may have left its full-screen mode behind, with or without the S switch.
    auto end = PlanSaverEnd({.commandLine = "/s", .rendererStarted = true});
    EXPECT_TRUE(end.restoreDisplayMode);
    EXPECT_FALSE(end.removeTextureCopy);
    end = PlanSaverEnd({.commandLine = "", .rendererStarted = true, .textureInTempFolder = true});
    EXPECT_TRUE(end.restoreDisplayMode);
    EXPECT_TRUE(end.removeTextureCopy);
    // No renderer ran: nobody changed the mode. The picture at the root of C: is kept.
    end = PlanSaverEnd({.commandLine = "/s", .rendererStarted = false, .textureInTempFolder = false});
    EXPECT_FALSE(end.restoreDisplayMode);
    EXPECT_FALSE(end.removeTextureCopy);
}

TEST(SaverRun, SlowRendererIsWaitedForButAnEndedOneIsNot) {
    using orvalis::RendererWatch;
    using orvalis::SaverRunOver;
    // Starting: no window yet, the process runs: keep watching for the grace period.
    EXPECT_FALSE(SaverRunOver({.msSinceStart = 1000}));
    EXPECT_FALSE(SaverRunOver({.msSinceStart = orvalis::kRendererStartGraceMs - 1}));
    EXPECT_TRUE(SaverRunOver({.msSinceStart = orvalis::kRendererStartGraceMs}));
    // The window was shown and is gone: the saver is over, whatever the process does.
    EXPECT_TRUE(SaverRunOver({.renderWindowSeen = true, .anyWindowSeen = true, .msSinceStart = 1000}));
    // The renderer ended (or never started) without a window: over at once.
    EXPECT_TRUE(SaverRunOver({.rendererEnded = true, .msSinceStart = 1000}));
}

TEST(SaverRun, AnyWindowOfTheRendererKeepsTheRunAndOnlyAWindowlessOneTimesOut) {
    using orvalis::RendererWatch;
    using orvalis::SaverRunOver;
    constexpr int64_t kLate = 10 * orvalis::kRendererStartGraceMs;
    struct Case {
        RendererWatch watch;
        bool over;
        const char* what;
    };
    const Case cases[] = {
        {{.anyWindowNow = true, .anyWindowSeen = true, .msSinceStart = kLate}, false, "question still open"},
        {{.anyWindowSeen = true, .msSinceStart = kLate}, false, "question answered, window not yet there"},
        {{.renderWindowNow = true, .renderWindowSeen = true, .anyWindowSeen = true, .msSinceStart = kLate},
         false,
         "cloud shown"},
        {{.anyWindowNow = true, .renderWindowSeen = true, .anyWindowSeen = true, .msSinceStart = 100},
         false,
         "cloud gone, covers still up"},
        {{.renderWindowSeen = true, .anyWindowSeen = true, .msSinceStart = 100}, true, "every window gone"},
        {{.anyWindowNow = true, .anyWindowSeen = true, .rendererEnded = true, .msSinceStart = 100},
         true,
         "process ended"},
        {{.renderWindowNow = true, .rendererEnded = true}, true, "process ended with its window listed"},
    };
    for (const Case& c : cases) EXPECT_EQ(SaverRunOver(c.watch), c.over) << c.what;
}
