#include "common/bmp_write.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvalis {
namespace {

uint32_t Le32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Rows padded to four bytes: the file size, the image size and the place of the last pixel, from the format's
// stated layout (54 header bytes, bottom row first, blue-green-red).
TEST(BmpWrite, RowsArePaddedToFourBytesAndStoredBottomUp) {
    struct Case {
        int width, height;
        uint32_t fileSize, imageSize;
    };
    const Case cases[] = {{1, 1, 58, 4}, {2, 3, 78, 24}, {3, 2, 78, 24}, {4, 1, 66, 12}, {5, 2, 86, 32}};
    for (const Case& c : cases) {
        // The pixel's colour names its place: red = x, green = y, blue = 0xAB.
        const std::vector<uint8_t> bmp = Bmp24File(
            c.width, c.height, [](int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | 0xAB; });
        ASSERT_EQ(bmp.size(), c.fileSize) << c.width << " x " << c.height;
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(Le32At(bmp, 2), c.fileSize);
        EXPECT_EQ(Le32At(bmp, 10), 54u);
        EXPECT_EQ(Le32At(bmp, 14), 40u);
        EXPECT_EQ(Le32At(bmp, 18), static_cast<uint32_t>(c.width));
        EXPECT_EQ(Le32At(bmp, 22), static_cast<uint32_t>(c.height));
        EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
        EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
        EXPECT_EQ(Le32At(bmp, 30), 0u);
        EXPECT_EQ(Le32At(bmp, 34), c.imageSize);
        // The first stored pixel is the bottom row's first; the top row's last ends the last row's pixels.
        const uint32_t rowBytes = c.imageSize / static_cast<uint32_t>(c.height);
        EXPECT_EQ(bmp[54], 0xAB);
        EXPECT_EQ(bmp[55], c.height - 1);
        EXPECT_EQ(bmp[56], 0);
        const size_t topLast = 54 + (c.height - 1) * rowBytes + (c.width - 1) * 3;
        EXPECT_EQ(bmp[topLast + 1], 0);
        EXPECT_EQ(bmp[topLast + 2], c.width - 1);
        for (size_t pad = topLast + 3; pad < bmp.size(); ++pad) EXPECT_EQ(bmp[pad], 0) << pad;
    }
}

TEST(BmpWrite, ResolutionIsWrittenAndEmptySizesGiveNoFile) {
    const std::vector<uint8_t> bmp = Bmp24File(
        1, 1, [](int, int) { return 0u; }, 3780);
    ASSERT_EQ(bmp.size(), 58u);
    EXPECT_EQ(Le32At(bmp, 38), 3780u);
    EXPECT_EQ(Le32At(bmp, 42), 3780u);
    EXPECT_EQ(Le32At(bmp, 46), 0u);
    EXPECT_EQ(Le32At(bmp, 50), 0u);
    EXPECT_TRUE(Bmp24File(0, 1, [](int, int) { return 0u; }).empty());
    EXPECT_TRUE(Bmp24File(1, 0, [](int, int) { return 0u; }).empty());
    EXPECT_TRUE(Bmp24File(1, -1, [](int, int) { return 0u; }).empty());
}

}  // namespace
}  // namespace orvalis
