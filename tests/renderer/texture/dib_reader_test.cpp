#include "renderer/texture/dib_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "tests/renderer/texture/dib_test_files.h"

using namespace dibtest;
using orvalis::DecodeDib;
using orvalis::DibColorCount;
using orvalis::DibFailure;
using orvalis::ParseDib;

namespace {

Bytes Pixels(const orvalis::RgbImage& image) {
    return Bytes(image.data, image.data + static_cast<size_t>(image.width) * image.height * 3);
}

// Decodes and expects an image of the given size with the given pixels.
void ExpectDecodes(const Bytes& file, int width, int height, const Bytes& expected) {
    const auto result = DecodeDib(file);
    ASSERT_EQ(result.failure, DibFailure::None);
    ASSERT_TRUE(result.image);
    EXPECT_EQ(result.image->width, width);
    EXPECT_EQ(result.image->height, height);
    EXPECT_EQ(Pixels(*result.image), expected);
}

DibFailure FailureOf(const Bytes& file) {
    const auto result = DecodeDib(file);
    EXPECT_EQ(result.image == nullptr, result.failure != DibFailure::None);
    return result.failure;
}

Bytes Header40(uint16_t bitCount, uint32_t clrUsed) {
    InfoFile f;
    f.bitCount = bitCount;
    f.clrUsed = clrUsed;
    f.fileHeader = false;
    return Build(f);
}

}  // namespace

TEST(DibDecode, TwentyFourBitRowsSkipTheirPaddingForEveryWidth) {
    // Widths 4 and 8 have no padding; 5 skips 1 byte, 6 skips 2, 7 skips 3.
    for (int width = 1; width <= 8; ++width) {
        SCOPED_TRACE(width);
        ExpectDecodes(Build(Picture24(width, 3)), width, 3, ExpectedPixels(width, 3));
    }
}

TEST(DibDecode, PalettisedPicturesExpandThroughTheirColourTable) {
    for (int bitCount : {1, 4, 8}) {
        for (int width : {5, 9, 17}) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, width " << width);
            ExpectDecodes(Build(Palettised(width, 3, bitCount)), width, 3,
                          ExpectedPalettised(width, 3, 1 << bitCount));
        }
    }
}

TEST(DibDecode, ShortColourTableReadsMissingEntriesAsBlack) {
    InfoFile f = Palettised(4, 1, 8);
    f.clrUsed = 2;
    f.table = PaletteTable(2);
    f.bits = {0, 1, 2, 255};
    const Rgb c0 = PaletteColor(0), c1 = PaletteColor(1);
    ExpectDecodes(Build(f), 4, 1, {c0.r, c0.g, c0.b, c1.r, c1.g, c1.b, 0, 0, 0, 0, 0, 0});
}

TEST(DibDecode, ColourTablesLongerThanTheBitDepthCanIndex) {
    // 1 bit with 16 colours, 4 bits with 200, 8 bits with 300: every entry is copied, the pixels reach only
    // the first 2, 16 or 256.
    for (const auto& [bitCount, colours] : {std::pair{1, 16}, std::pair{4, 200}, std::pair{8, 300}}) {
        SCOPED_TRACE(testing::Message() << bitCount << " bits, " << colours << " colours");
        InfoFile f = Palettised(9, 2, bitCount);
        f.clrUsed = static_cast<uint32_t>(colours);
        f.table = PaletteTable(colours);
        const auto parsed = ParseDib(Build(f));
        ASSERT_EQ(parsed.failure, DibFailure::None);
        EXPECT_EQ(parsed.layout.info.size(), 40u + colours * 4u);
        ExpectDecodes(Build(f), 9, 2, ExpectedPalettised(9, 2, 1 << bitCount));
    }
}

TEST(DibDecode, CoreHeaderAndPackedFilesDecodeLikeFullOnes) {
    const Bytes expected8 = ExpectedPalettised(5, 2, 256);
    const Bytes bits8 = IndexRows(5, 2, 8, 256);
    ExpectDecodes(BuildCore(5, 2, 8, PaletteTable(256, 3), bits8), 5, 2, expected8);
    ExpectDecodes(BuildCore(5, 2, 8, PaletteTable(256, 3), bits8, false), 5, 2, expected8);
    ExpectDecodes(BuildCore(5, 2, 24, {}, Rows24(5, 2)), 5, 2, ExpectedPixels(5, 2));

    InfoFile packed = Palettised(5, 2, 8);
    packed.fileHeader = false;
    ExpectDecodes(Build(packed), 5, 2, expected8);
}

TEST(DibDecode, TopDownRowsComeOutBottomRowFirst) {
    InfoFile f = Picture24(5, 4);
    f.height = -4;
    f.bits = Rows24(5, 4, /*topDown=*/true);
    ExpectDecodes(Build(f), 5, 4, ExpectedPixels(5, 4));
}

TEST(DibDecode, SixteenAndThirtyTwoBitPixels) {
    // 5-5-5 by default: full scale is 255, and each 5-bit channel repeats its top bits.
    InfoFile f16;
    f16.width = 2;
    f16.height = 1;
    f16.bitCount = 16;
    Put16(f16.bits, 0x7FFF);
    Put16(f16.bits, (0x10 << 10) | (0x01 << 5) | 0x1F);
    ExpectDecodes(Build(f16), 2, 1, {255, 255, 255, 0x84, 0x08, 0xFF});

    // 5-6-5 bit fields: the masks follow the header.
    InfoFile f565 = f16;
    f565.compression = orvalis::kBiBitfields;
    f565.table.clear();
    Put32(f565.table, 0xF800);
    Put32(f565.table, 0x07E0);
    Put32(f565.table, 0x001F);
    f565.bits.clear();
    Put16(f565.bits, 0xFFFF);
    Put16(f565.bits, (0x10 << 11) | (0x20 << 5) | 0x00);
    ExpectDecodes(Build(f565), 2, 1, {255, 255, 255, 0x84, 0x82, 0x00});

    // 32 bits: blue, green, red, unused.
    InfoFile f32;
    f32.width = 1;
    f32.height = 2;
    f32.bitCount = 32;
    f32.bits = {1, 2, 3, 99, 4, 5, 6, 99};
    ExpectDecodes(Build(f32), 1, 2, {3, 2, 1, 6, 5, 4});
}

TEST(DibDecode, RingAssetKeepsTheFilesRowOrderAsRedGreenBlue) {
    const Bytes file = ReadWholeFile(ORVALIS_ASSETS_DIR "/tessalume.bmp");
    ASSERT_EQ(file.size(), 49206u);
    const auto result = DecodeDib(file);
    ASSERT_TRUE(result.image);
    ASSERT_EQ(result.image->width, 128);
    ASSERT_EQ(result.image->height, 128);
    // Output row r is stored row r (the first stored row is the bottom of the picture), bytes reversed.
    const uint8_t* data = result.image->data;
    for (size_t i = 0; i < 128u * 128u; ++i) {
        const uint8_t* stored = &file[54 + i * 3];
        ASSERT_EQ(data[i * 3 + 0], stored[2]) << "pixel " << i;
        ASSERT_EQ(data[i * 3 + 1], stored[1]) << "pixel " << i;
        ASSERT_EQ(data[i * 3 + 2], stored[0]) << "pixel " << i;
    }
    EXPECT_EQ(data[0], 4);  // the background in the corner
}

TEST(DibColorCount, ByBitCountOrSixteenBitColoursUsed) {
    EXPECT_EQ(DibColorCount(Header40(1, 0)), 2u);
    EXPECT_EQ(DibColorCount(Header40(4, 0)), 16u);
    EXPECT_EQ(DibColorCount(Header40(8, 0)), 256u);
    EXPECT_EQ(DibColorCount(Header40(24, 0)), 0u);
    EXPECT_EQ(DibColorCount(Header40(16, 0)), 0u);
    EXPECT_EQ(DibColorCount(Header40(8, 5)), 5u);
    EXPECT_EQ(DibColorCount(Header40(24, 5)), 5u);
    EXPECT_EQ(DibColorCount(Header40(8, 0x10005)), 5u);
    EXPECT_EQ(DibColorCount(Header40(8, 0x10000)), 256u);

    const Bytes core = BuildCore(1, 1, 4, {}, {}, false);
    EXPECT_EQ(DibColorCount(core), 16u);
    EXPECT_EQ(DibColorCount(BuildCore(1, 1, 24, {}, {}, false)), 0u);
    // Truncated headers and other sizes have no table.
    EXPECT_EQ(DibColorCount(std::span(core).first(8)), 0u);
    EXPECT_EQ(DibColorCount(Bytes{108, 0, 0, 0}), 0u);
}

TEST(DibParse, WorkingBlockWidensCoreEntriesAndFillsSizes) {
    const Bytes file = BuildCore(5, 3, 4, PaletteTable(16, 3), IndexRows(5, 3, 4, 16));
    const auto parsed = ParseDib(file);
    ASSERT_EQ(parsed.failure, DibFailure::None);
    const auto& layout = parsed.layout;
    EXPECT_EQ(layout.header.size, 40u);
    EXPECT_EQ(layout.header.width, 5);
    EXPECT_EQ(layout.header.height, 3);
    EXPECT_EQ(layout.header.clrUsed, 16u);
    EXPECT_EQ(layout.header.sizeImage, 9u);  // (4 x 5 + 7) / 8 x 3
    EXPECT_EQ(layout.bitsOffset, 14u + 12u + 48u);
    EXPECT_EQ(layout.bitsSize, 12u);  // rows padded to 4 bytes
    ASSERT_EQ(layout.info.size(), 40u + 16u * 4u);
    EXPECT_EQ(layout.info[0], 40);
    for (int i = 0; i < 16; ++i) {
        const Rgb c = PaletteColor(i);
        const uint8_t* entry = &layout.info[40 + i * 4];
        EXPECT_EQ(Bytes(entry, entry + 4), (Bytes{c.b, c.g, c.r, 0})) << "entry " << i;
    }
}

TEST(DibParse, ColoursUsedNeverExceedsTheCopiedTable) {
    InfoFile f = Palettised(2, 1, 8);
    f.clrUsed = 0x10004;
    f.table = PaletteTable(4);
    const auto parsed = ParseDib(Build(f));
    ASSERT_EQ(parsed.failure, DibFailure::None);
    EXPECT_EQ(parsed.layout.header.clrUsed, 4u);
    EXPECT_EQ(parsed.layout.info.size(), 40u + 16u);
    EXPECT_EQ(parsed.layout.info[32], 4);
    EXPECT_EQ(parsed.layout.info[34], 0);
}

TEST(DibParse, RunLengthBitsAreBoundedByTheirImageSize) {
    InfoFile f;
    f.width = 4;
    f.height = 1;
    f.bitCount = 8;
    f.compression = orvalis::kBiRle8;
    f.table = PaletteTable(256);
    f.bits = {4, 7, 0, 1};
    f.sizeImage = 4;
    const auto parsed = ParseDib(Build(f));
    ASSERT_EQ(parsed.failure, DibFailure::None);
    EXPECT_EQ(parsed.layout.bitsSize, 4u);
    // The project's converter does not decode run lengths; the system's does.
    EXPECT_EQ(FailureOf(Build(f)), DibFailure::ConversionError);

    f.sizeImage = 5;  // one byte past the end of the file
    EXPECT_EQ(ParseDib(Build(f)).failure, DibFailure::ConversionError);
}

TEST(DibReject, HeadersOtherThan12Or40BytesAreUnknown) {
    for (uint32_t size : {108u, 124u, 64u, 0u, 13u}) {
        InfoFile f = Picture24(4, 4);
        f.headerSize = size < 40 ? 40 : size;
        Bytes file = Build(f);
        Set32(file, 14, size);
        EXPECT_EQ(FailureOf(file), DibFailure::UnknownFormat) << size;
        file.erase(file.begin(), file.begin() + 14);
        EXPECT_EQ(FailureOf(file), DibFailure::UnknownFormat) << size << " packed";
    }
}

TEST(DibReject, EveryTruncationOfAGoodFileIsAConversionError) {
    const Bytes file = Build(Palettised(5, 3, 8));
    for (size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + length);
        ASSERT_EQ(FailureOf(cut), DibFailure::ConversionError) << "length " << length;
    }
    const Bytes core = BuildCore(5, 3, 8, PaletteTable(256, 3), IndexRows(5, 3, 8, 256), false);
    for (size_t length = 4; length < core.size(); ++length) {
        const Bytes cut(core.begin(), core.begin() + length);
        ASSERT_EQ(FailureOf(cut), DibFailure::ConversionError) << "packed length " << length;
    }
}

TEST(DibReject, OffsetsAndCountsThatPointOutsideTheFile) {
    const Bytes good = Build(Picture24(4, 4));
    Bytes pastEnd = good;
    Set32(pastEnd, 10, static_cast<uint32_t>(good.size()) + 1);
    EXPECT_EQ(FailureOf(pastEnd), DibFailure::ConversionError);
    Bytes hugeOffset = good;
    Set32(hugeOffset, 10, 0xFFFFFFF0u);
    EXPECT_EQ(FailureOf(hugeOffset), DibFailure::ConversionError);
    Bytes insideHeaders = good;
    Set32(insideHeaders, 10, 20);
    EXPECT_EQ(FailureOf(insideHeaders), DibFailure::ConversionError);

    // 60000 colour entries claimed by a file far too small to hold them.
    InfoFile many = Palettised(4, 1, 8);
    many.clrUsed = 60000;
    EXPECT_EQ(FailureOf(Build(many)), DibFailure::ConversionError);
    // The table is there but ends where the bits should start.
    InfoFile overlap = Palettised(4, 4, 8);
    Bytes overlapping = Build(overlap);
    Set32(overlapping, 10, 14 + 40 + 100);
    EXPECT_EQ(FailureOf(overlapping), DibFailure::ConversionError);
}

TEST(DibReject, ZeroAbsurdAndOverflowingSizes) {
    struct Case {
        int32_t width, height;
        uint16_t bitCount;
    };
    for (const Case c : {Case{0, 4, 24}, Case{4, 0, 24}, Case{-4, 4, 24}, Case{INT_MAX, 1, 24},
                         Case{1, INT_MIN, 24}, Case{16385, 1, 1}, Case{1, -16385, 1}, Case{0x40000000, 2, 32},
                         Case{4, 4, 7}, Case{4, 4, 0}, Case{4, 4, 65535}}) {
        InfoFile f = Picture24(4, 4);
        f.width = c.width;
        f.height = c.height;
        f.bitCount = c.bitCount;
        EXPECT_EQ(FailureOf(Build(f)), DibFailure::ConversionError)
            << c.width << " x " << c.height << " x " << c.bitCount;
    }
    InfoFile jpeg = Picture24(4, 4);
    jpeg.compression = 4;
    EXPECT_EQ(FailureOf(Build(jpeg)), DibFailure::ConversionError);
    InfoFile topDownRle = Palettised(4, 1, 8);
    topDownRle.height = -1;
    topDownRle.compression = orvalis::kBiRle8;
    EXPECT_EQ(FailureOf(Build(topDownRle)), DibFailure::ConversionError);
}

TEST(DibFailureMessage, TheFourTexts) {
    using orvalis::DibFailureMessage;
    EXPECT_EQ(DibFailureMessage(DibFailure::OpenFailed, "C:\\Tessalume.bmp"),
              "Failed to open DIB file C:\\Tessalume.bmp.\n");
    EXPECT_EQ(DibFailureMessage(DibFailure::UnknownFormat, "x"), "Unknown DIB file format.");
    EXPECT_EQ(DibFailureMessage(DibFailure::OutOfMemory, "x"), "Out of memory.");
    EXPECT_EQ(DibFailureMessage(DibFailure::ConversionError, "x"), "Image file conversion error.");
}
