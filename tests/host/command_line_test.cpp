#include "host/command_line.h"

#include <gtest/gtest.h>

#include "host/saver_run.h"

using orvalis::HostMode;
using orvalis::ModeLetter;
using orvalis::ModeOf;
using orvalis::PreviewParentHandle;

TEST(CommandLine, ModeLetterIsTheSecondCharacterUpperCased) {
    EXPECT_EQ(ModeOf("/s"), HostMode::Saver);
    EXPECT_EQ(ModeOf("/S"), HostMode::Saver);
    EXPECT_EQ(ModeOf("-s"), HostMode::Saver);
    EXPECT_EQ(ModeOf("xs"), HostMode::Saver);
    EXPECT_EQ(ModeOf("/c:5678"), HostMode::Configure);
    EXPECT_EQ(ModeOf("/p 1234"), HostMode::Preview);
    EXPECT_EQ(ModeOf(""), HostMode::SaverShowCursor);
    // One character has no mode letter, and the first character is never examined.
    EXPECT_EQ(ModeLetter("s"), '\0');
    EXPECT_EQ(ModeOf("s"), HostMode::Unrecognised);
    EXPECT_EQ(ModeOf("s/"), HostMode::Unrecognised);
    EXPECT_EQ(ModeOf("/a"), HostMode::Unrecognised);
    EXPECT_EQ(ModeOf(" s"), HostMode::Saver);
}

TEST(CommandLine, PreviewHandleIsReadFromTheFourthCharacter) {
    EXPECT_EQ(PreviewParentHandle("/p 1234"), 1234u);
    EXPECT_EQ(PreviewParentHandle("/P:1234"), 1234u);
    EXPECT_EQ(PreviewParentHandle("/p123"), 23u);  // the third character is skipped unread
    EXPECT_EQ(PreviewParentHandle("/p 12 34\t5\n6"), 123456u);
    EXPECT_EQ(PreviewParentHandle("/p  0x20"), 0u);
    EXPECT_EQ(PreviewParentHandle("/p 77abc"), 77u);
    EXPECT_EQ(PreviewParentHandle("/p abc"), 0u);
    EXPECT_EQ(PreviewParentHandle("/p "), 0u);
    EXPECT_EQ(PreviewParentHandle("/p"), 0u);
    EXPECT_EQ(PreviewParentHandle("/p 1e3"), 1000u);
    EXPECT_EQ(PreviewParentHandle("/p 12e"), 12u);
}

TEST(CommandLine, PreviewHandleRoundsHalvesToEven) {
    EXPECT_EQ(PreviewParentHandle("/p 2.5"), 2u);
    EXPECT_EQ(PreviewParentHandle("/p 3.5"), 4u);
    EXPECT_EQ(PreviewParentHandle("/p 3.49"), 3u);
    EXPECT_EQ(PreviewParentHandle("/p .5"), 0u);
    EXPECT_EQ(PreviewParentHandle("/p 1.5"), 2u);
}

TEST(CommandLine, PreviewHandleIsA32BitValue) {
    EXPECT_EQ(PreviewParentHandle("/p 4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(PreviewParentHandle("/p -2"), 0xFFFFFFFEu);  // sign-extended handles print negative
    EXPECT_EQ(PreviewParentHandle("/p 4294967296"), 0u);
    EXPECT_EQ(PreviewParentHandle("/p 1e400"), 0u);
}

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
    using orvalis::SaverRunOver;
    // Starting: no window yet, the process runs: keep watching for the grace period.
    EXPECT_FALSE(SaverRunOver(false, false, 1000));
    EXPECT_FALSE(SaverRunOver(false, false, orvalis::kRendererStartGraceMs - 1));
    EXPECT_TRUE(SaverRunOver(false, false, orvalis::kRendererStartGraceMs));
    // The window was shown and is gone: the saver is over, whatever the process does.
    EXPECT_TRUE(SaverRunOver(true, false, 1000));
    // The renderer ended (or never started) without a window: over at once.
    EXPECT_TRUE(SaverRunOver(false, true, 1000));
}
