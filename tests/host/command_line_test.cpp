#include "host/command_line.h"

#include <gtest/gtest.h>

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
