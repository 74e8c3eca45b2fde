// Text conversion under the real code pages of the system (Wine's ANSI code page here is 1252).
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_win32.h"

namespace orvalis {
namespace {

TEST(TextTest, Utf8AndWideRoundTripJapaneseAndOtherPlanes) {
    const std::string utf8 = "設定 ｷｬﾝｾﾙ <Orvalis> \xF0\x9F\x8E\xB5";  // the last one outside the basic plane
    const std::wstring wide = WideFromUtf8(utf8);
    EXPECT_EQ(wide.substr(0, 2), L"\u8A2D\u5B9A");
    EXPECT_EQ(wide.size(), 21u) << "the note takes two UTF-16 units";
    EXPECT_EQ(Utf8FromWide(wide), utf8);
    EXPECT_EQ(WideFromUtf8(""), L"");
    EXPECT_EQ(Utf8FromWide(L""), "");
    // Embedded NULs are text like any other: the length comes from the view, not from a terminator.
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(std::string("a\0b", 3))), std::string("a\0b", 3));
}

TEST(TextTest, AnsiTakesOnlyWhatTheCodePageSpellsExactly) {
    std::string ansi = "unchanged";
    ASSERT_TRUE(AnsiFromWide(L"C:\\Music\\caf\u00E9.mp3", ansi));
    EXPECT_EQ(WideFromAnsi(ansi), L"C:\\Music\\caf\u00E9.mp3");
    if (GetACP() != CP_UTF8) {
        ansi = "unchanged";
        EXPECT_FALSE(AnsiFromWide(L"\u8A2D\u5B9A.mp3", ansi)) << "code page " << GetACP();
        EXPECT_FALSE(AnsiFromWide(L"\u0100", ansi)) << "best fit would make it A";
        EXPECT_EQ(ansi, "unchanged");
    }
    EXPECT_TRUE(AnsiFromWide(L"", ansi));
    EXPECT_EQ(ansi, "");
}

}  // namespace
}  // namespace orvalis
