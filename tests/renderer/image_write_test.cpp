#include "renderer/image_write.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace orvalis {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

uint32_t BigEndian32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

TEST(ImageWriteTest, ChecksumsOfKnownStrings) {
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("")), 0u);
    EXPECT_EQ(Crc32(Bytes("IEND")), 0xAE426082u);
    // A CRC continued over a second part equals the CRC of the whole.
    EXPECT_EQ(Crc32(Bytes("6789"), Crc32(Bytes("12345"))), 0xCBF43926u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
    EXPECT_EQ(Adler32(Bytes("")), 1u);
    // Sums past the modulus: 5553 bytes of 0xFF wrap both halves.
    EXPECT_EQ(Adler32(std::vector<uint8_t>(5553, 0xFF)), 0x8E299C8Bu);
}

TEST(ImageWriteTest, StoredBlocksSplitAt65535Bytes) {
    std::vector<uint8_t> data(65535 + 10);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> z = ZlibStored(data);
    ASSERT_EQ(z.size(), 2 + 5 + 65535 + 5 + 10 + 4);
    EXPECT_EQ(z[0], 0x78);
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0);
    EXPECT_EQ(z[2], 0) << "first block is not the last";
    EXPECT_EQ(z[3] | (z[4] << 8), 65535);
    EXPECT_EQ(z[5] | (z[6] << 8), 0);
    const size_t second = 2 + 5 + 65535;
    EXPECT_EQ(z[second], 1);
    EXPECT_EQ(z[second + 1] | (z[second + 2] << 8), 10);
    EXPECT_EQ(z[second + 3] | (z[second + 4] << 8), 0xFFFF - 10);
    EXPECT_EQ(z[second + 5], data[65535]);
    EXPECT_EQ(BigEndian32(z, z.size() - 4), Adler32(data));
    // An empty input still gives one (final, empty) block.
    const std::vector<uint8_t> empty = ZlibStored({});
    ASSERT_EQ(empty.size(), 2u + 5u + 4u);
    EXPECT_EQ(empty[2], 1);
}

TEST(ImageWriteTest, PngLayout) {
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    const std::vector<uint8_t> png = EncodePng(2, 2, rgb);
    ASSERT_GT(png.size(), 8u + 25u);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    EXPECT_EQ(BigEndian32(png, 8), 13u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(BigEndian32(png, 16), 2u);
    EXPECT_EQ(BigEndian32(png, 20), 2u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    EXPECT_EQ(BigEndian32(png, 29), Crc32(std::span<const uint8_t>(png).subspan(12, 17)));
    // IDAT holds the rows with a filter byte each: 2 x (1 + 6) raw bytes in one stored block.
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
    EXPECT_EQ(BigEndian32(png, 33), 2u + 5u + 14u + 4u);
    const std::vector<uint8_t> raw = {0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 10, 20, 30};
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), png.begin() + 41 + 7));
    const std::vector<uint8_t> iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(iend.begin(), iend.end(), png.end() - 12));
    EXPECT_TRUE(EncodePng(2, 2, std::vector<uint8_t>(11)).empty()) << "pixel count must match the size";
    EXPECT_TRUE(EncodePng(0, 2, {}).empty());
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
