#include "renderer/scene/image_write.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The test reads the pictures back with the writer's companion decoder.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace orvalis {
namespace {

uint32_t BigEndian32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// The pixels a PNG decodes to, as red, green, blue bytes top row first; empty when it does not decode.
std::vector<uint8_t> DecodePng(const std::vector<uint8_t>& png, int width, int height) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &channels, 3);
    std::vector<uint8_t> rgb;
    if (pixels != nullptr && w == width && h == height)
        rgb.assign(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    stbi_image_free(pixels);
    return rgb;
}

// The chunk CRCs of a 2 x 2 truecolour picture, against their published values.
TEST(ImageWriteTest, ChecksumsOfKnownStrings) {
    const std::vector<uint8_t> png = EncodePng(2, 2, std::vector<uint8_t>(12, 0x80));
    ASSERT_GT(png.size(), 33u + 12u);
    EXPECT_EQ(BigEndian32(png, 29), 0xFDD49A73u) << "CRC of IHDR 2 x 2, 8 bits, truecolour";
    EXPECT_EQ(BigEndian32(png, png.size() - 4), 0xAE426082u) << "CRC of IEND";
}

// More image data than one stored deflate block holds (65535 bytes) comes back pixel for pixel.
TEST(ImageWriteTest, StoredBlocksSplitAt65535Bytes) {
    const int width = 200, height = 120;  // 72,120 bytes of rows with their filter bytes
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> png = EncodePng(width, height, rgb);
    ASSERT_GT(png.size(), 43u);
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
    // The zlib header: deflate, a check value that makes the first two bytes a multiple of 31.
    EXPECT_EQ(png[41] & 0x0F, 8);
    EXPECT_EQ((png[41] * 256 + png[42]) % 31, 0);
    EXPECT_EQ(DecodePng(png, width, height), rgb);
}

TEST(ImageWriteTest, PngLayout) {
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    const std::vector<uint8_t> png = EncodePng(2, 2, rgb);
    ASSERT_GT(png.size(), 41u + 12u);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    EXPECT_EQ(BigEndian32(png, 8), 13u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(BigEndian32(png, 16), 2u);
    EXPECT_EQ(BigEndian32(png, 20), 2u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    EXPECT_EQ(BigEndian32(png, 29), 0xFDD49A73u);
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
    EXPECT_EQ(DecodePng(png, 2, 2), rgb);
    const std::vector<uint8_t> iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(iend.begin(), iend.end(), png.end() - 12));
    EXPECT_TRUE(EncodePng(2, 2, std::vector<uint8_t>(11)).empty()) << "pixel count must match the size";
    EXPECT_TRUE(EncodePng(0, 2, {}).empty());
    EXPECT_TRUE(EncodePng(2, 0, {}).empty());
    EXPECT_EQ(DecodePng(EncodePng(1, 1, std::vector<uint8_t>{7, 8, 9}), 1, 1),
              (std::vector<uint8_t>{7, 8, 9}));
}

TEST(ImageWriteTest, PpmLayout) {
    const std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6};
    const std::vector<uint8_t> ppm = EncodePpm(2, 1, rgb);
    const std::string header = "P6\n2 1\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 6);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<ptrdiff_t>(header.size())), header);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), ppm.begin() + static_cast<ptrdiff_t>(header.size())));
}

// ImageMagick reads the written PNG back with the same pixels (a picture larger than one stored block).
TEST(ImageWriteTest, ImageMagickReadsThePngBack) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is missing";
    const int width = 151, height = 167;  // odd sizes; 151 x 3 + 1 bytes a row, 75 KiB in all
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    const std::string dir = ::testing::TempDir();
    const std::string png = dir + "image_write_test.png";
    const std::string ppm = dir + "image_write_test_back.ppm";
    std::string error;
    ASSERT_TRUE(WriteImageFile(png, width, height, rgb, error)) << error;
    const std::string command = "convert '" + png + "' -depth 8 ppm:'" + ppm + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(ppm, std::ios::binary);
    const std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(back, EncodePpm(width, height, rgb));
    std::remove(png.c_str());
    std::remove(ppm.c_str());
}

// The file holds exactly the encoded picture: "P6", the size, the maximum, then the pixels.
TEST(ImageWriteTest, WritesThePpmFileByteForByte) {
    const std::vector<uint8_t> rgb = {1, 2, 3};
    const std::string path = ::testing::TempDir() + "image_write_test_1x1.ppm";
    std::string error;
    ASSERT_TRUE(WriteImageFile(path, 1, 1, rgb, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string expected = "P6\n1 1\n255\n\x01\x02\x03";
    EXPECT_EQ(std::string(back.begin(), back.end()), expected);
    EXPECT_TRUE(EncodePpm(2, 0, {}).empty());
    std::remove(path.c_str());
}

TEST(ImageWriteTest, BadFileNamesAndFoldersGiveAMessage) {
    const std::vector<uint8_t> rgb(3);
    std::string error;
    EXPECT_FALSE(WriteImageFile("/nonexistent-folder/x.png", 1, 1, rgb, error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos) << error;
    EXPECT_FALSE(WriteImageFile(::testing::TempDir() + "x.bmp", 1, 1, rgb, error));
    EXPECT_NE(error.find("not a .png or .ppm"), std::string::npos) << error;
}

}  // namespace
}  // namespace orvalis
