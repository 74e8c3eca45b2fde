#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "common/texture_picture.h"

using orvalis::TexturePictureBmp;
using orvalis::TexturePictureLevel;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* f = std::fopen(path, "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

}  // namespace

TEST(TexturePicture, IsA128Square24BitBottomUpBitmapOf49206Bytes) {
    const auto bmp = TexturePictureBmp();
    ASSERT_EQ(bmp.size(), 49206u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), 49206u);
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), 128u);
    EXPECT_EQ(Le32(bmp, 22), 128u);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(Le32(bmp, 30), 0u);
}

TEST(TexturePicture, RingProfileRisesFromTheBackgroundToFullBrightness) {
    // Along the horizontal through the centre (pixel centres at 63.5 +- r).
    int peakRadius = -1;
    for (int x = 64; x < 128; ++x) {
        const double r = x - 63.5;
        const int level = TexturePictureLevel(x, 64);
        if (r < 44.5 || r > 56.5) {
            EXPECT_EQ(level, 4) << "radius " << r;
        }
        if (level == 255 && peakRadius < 0) peakRadius = x - 64;
    }
    EXPECT_GE(peakRadius, 49);
    EXPECT_LE(peakRadius, 51);
    // Bright at the band, dimmer half way out, background inside.
    EXPECT_EQ(TexturePictureLevel(64 + 50, 64), 255);
    EXPECT_GT(TexturePictureLevel(64 + 53, 64), 40);
    EXPECT_LT(TexturePictureLevel(64 + 53, 64), 230);
    EXPECT_EQ(TexturePictureLevel(64, 64), 4);
    EXPECT_EQ(TexturePictureLevel(0, 0), 4);
}

TEST(TexturePicture, IsGreyAndSymmetric) {
    const auto bmp = TexturePictureBmp();
    for (size_t i = 54; i + 2 < bmp.size(); i += 3) {
        ASSERT_EQ(bmp[i], bmp[i + 1]);
        ASSERT_EQ(bmp[i], bmp[i + 2]);
    }
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            ASSERT_EQ(TexturePictureLevel(x, y), TexturePictureLevel(127 - x, y));
            ASSERT_EQ(TexturePictureLevel(x, y), TexturePictureLevel(y, x));
        }
    }
}

TEST(TexturePicture, CommittedAssetMatchesTheGenerator) {
    EXPECT_EQ(ReadFile(ORVALIS_ASSETS_DIR "/tessalume.bmp"), TexturePictureBmp())
        << "regenerate with build/native/assets/make_texture_picture assets/tessalume.bmp";
}
