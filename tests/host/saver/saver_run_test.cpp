#include "host/saver/saver_run.h"

#include <gtest/gtest.h>

TEST(SaverEnd, StopsWhatPlaysAndGivesTheCursorBackOnlyForS) {
    using orvalis::MusicKind;
    using orvalis::PlanSaverEnd;
    using orvalis::SaverRunState;
    struct Case {
        SaverRunState run;
        bool stopCd, stopWav, stopMp3, restoreCursor;
        const char* what;
    };
    const Case cases[] = {
        {{.timer2On = true, .music = MusicKind::Cd, .commandLine = "/s"}, true, false, false, true, "CD, /s"},
        // A CD watch that switched itself off leaves the device alone.
        {{.timer2On = false, .music = MusicKind::Cd, .commandLine = "/S"},
         false,
         false,
         false,
         true,
         "CD off"},
        {{.music = MusicKind::Wav, .commandLine = ""}, false, true, false, false, "WAV, no switch"},
        {{.music = MusicKind::Mp3, .commandLine = "-s"}, false, false, true, true, "MP3, -s"},
        {{.music = MusicKind::None, .commandLine = "/s"}, false, false, false, true, "no music, /s"},
    };
    for (const Case& c : cases) {
        const auto end = PlanSaverEnd(c.run);
        EXPECT_EQ(end.stopCd, c.stopCd) << c.what;
        EXPECT_EQ(end.stopWav, c.stopWav) << c.what;
        EXPECT_EQ(end.stopMp3, c.stopMp3) << c.what;
        EXPECT_EQ(end.restoreCursor, c.restoreCursor) << c.what;
    }
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
    // Starting: no window yet, the process runs: keep watching for the grace period of 30 seconds.
    EXPECT_FALSE(SaverRunOver({.msSinceStart = 1000}));
    EXPECT_FALSE(SaverRunOver({.msSinceStart = 29999}));
    EXPECT_TRUE(SaverRunOver({.msSinceStart = 30000}));
    // The window was shown and is gone: the saver is over, whatever the process does.
    EXPECT_TRUE(SaverRunOver({.renderWindowSeen = true, .anyWindowSeen = true, .msSinceStart = 1000}));
    // The renderer ended (or never started) without a window: over at once.
    EXPECT_TRUE(SaverRunOver({.rendererEnded = true, .msSinceStart = 1000}));
}

TEST(SaverRun, AnyWindowOfTheRendererKeepsTheRunAndOnlyAWindowlessOneTimesOut) {
    using orvalis::RendererWatch;
    using orvalis::SaverRunOver;
    constexpr int64_t kLate = 300000;  // five minutes, ten times the grace period
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
