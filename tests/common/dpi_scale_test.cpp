#include "common/dpi_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvalis {
namespace {

TEST(DpiScale, RoundsAsMulDiv) {
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = {
        {13, 144, 96, 20},   {13, 120, 96, 16}, {-13, 144, 96, -20}, {243, 120, 96, 304}, {243, 144, 96, 365},
        {496, 120, 96, 620}, {5, 1, 2, 3},      {-5, 1, 2, -3},      {5, -1, 2, -3},      {7, 3, 0, -1},
        {12, 168, 96, 21},   {77, 96, 144, 51}, {116, 96, 144, 77},  {4, 96, 96, 4},
    };
    for (const Case& k : cases)
        EXPECT_EQ(MulDivRound(k.a, k.b, k.c), k.expected) << k.a << " * " << k.b << " / " << k.c;
    EXPECT_EQ(ScaleToDpi(25, 144), 38);
    EXPECT_EQ(ScaleFromDpi(38, 144), 25);
}

struct Box {
    int left, top, width, height;
};

TEST(DpiScale, ScalesEachSideOfARectangle) {
    const Box b = ScaleRectToDpi(Box{12, 16, 469, 165}, 144);
    EXPECT_EQ(b.left, 18);
    EXPECT_EQ(b.top, 24);
    EXPECT_EQ(b.width, 704);   // 703.5
    EXPECT_EQ(b.height, 248);  // 247.5
    const Box same = ScaleRectToDpi(Box{28, 76, 13, 13}, 96);
    EXPECT_EQ(same.left, 28);
    EXPECT_EQ(same.height, 13);
}

TEST(DpiScale, ResamplesByArea) {
    // The same size gives the picture back.
    const std::vector<uint32_t> four = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    EXPECT_EQ(ResamplePixels(four, 2, 2, 2, 2), four);
    // Half size averages each 2 x 2 block.
    EXPECT_EQ(ResamplePixels(four, 2, 2, 1, 1), std::vector<uint32_t>{0x586878});
    // 4 to 3 across: the middle target pixel takes half of each middle source pixel.
    const std::vector<uint32_t> row = {0x000000, 0xFFFFFF, 0x000000, 0x0000C0};
    EXPECT_EQ(ResamplePixels(row, 4, 1, 3, 1), (std::vector<uint32_t>{0x404040, 0x808080, 0x000090}));
    // Doubling repeats every pixel.
    EXPECT_EQ(ResamplePixels(std::vector<uint32_t>{0x010203, 0xFFFFFF}, 2, 1, 4, 1),
              (std::vector<uint32_t>{0x010203, 0x010203, 0xFFFFFF, 0xFFFFFF}));
    // A single column shrinks down its rows.
    EXPECT_EQ(ResamplePixels(std::vector<uint32_t>{0x000000, 0x0000FE}, 1, 2, 1, 1),
              std::vector<uint32_t>{0x00007F});
    // Too few pixels, or no size on either side, give nothing.
    EXPECT_TRUE(ResamplePixels(four, 3, 2, 1, 1).empty());
    EXPECT_TRUE(ResamplePixels(four, 2, 2, 0, 1).empty());
    EXPECT_TRUE(ResamplePixels(four, 2, 2, 1, 0).empty());
    EXPECT_TRUE(ResamplePixels(four, 2, 0, 1, 1).empty());
    EXPECT_TRUE(ResamplePixels(four, 0, 2, 1, 1).empty());
}

}  // namespace
}  // namespace orvalis
