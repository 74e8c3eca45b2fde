// Paths and captions between the wide-character user interface and the ANSI code page.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/text_win32.h"

using orvalis::AnsiFromWide;
using orvalis::WideFromAnsi;
using orvalis::WideFromUtf8;

TEST(AnsiText, PlainPathsRoundTrip) {
    std::string ansi = "unchanged";
    ASSERT_TRUE(AnsiFromWide(L"C:\\Music Files\\loop.Mp3", ansi));
    EXPECT_EQ(ansi, "C:\\Music Files\\loop.Mp3");
    EXPECT_EQ(WideFromAnsi(ansi), L"C:\\Music Files\\loop.Mp3");
    ASSERT_TRUE(AnsiFromWide(L"", ansi));
    EXPECT_EQ(ansi, "");
}

TEST(AnsiText, CharactersOutsideTheCodePageAreRefusedNotDamaged) {
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "every character fits a UTF-8 code page";
    // Thai letters exist in neither the Western nor the Japanese code page.
    std::string ansi = "kept";
    EXPECT_FALSE(AnsiFromWide(L"C:\\\u0E01\u0E02\\a.wav", ansi));
    EXPECT_EQ(ansi, "kept");
    // Best fit would turn a full-width letter into a plain one: refused as well.
    if (GetACP() == 1252) {
        EXPECT_FALSE(AnsiFromWide(L"C:\\\uFF21.wav", ansi));
        ASSERT_TRUE(AnsiFromWide(L"C:\\caf\u00E9.wav", ansi));
        EXPECT_EQ(ansi, "C:\\caf\xE9.wav");
    }
}

TEST(AnsiText, Utf8LiteralsBecomeWideText) {
    EXPECT_EQ(WideFromUtf8("設定"), L"\u8A2D\u5B9A");
    EXPECT_EQ(WideFromUtf8("ｷｬﾝｾﾙ"), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
}
