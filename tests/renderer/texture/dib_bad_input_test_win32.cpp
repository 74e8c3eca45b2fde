// Hostile bitmap files through the real reader: the system's run-length decoder fed runs, deltas and escapes
// that leave the row, the image or the data, colour counts the bit depth cannot use, and paths that are no
// files. Each file is laid out so that its last byte is the last byte of a memory page: a read past the end
// of the file faults instead of passing unnoticed.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "renderer/texture/dib_reader.h"
#include "renderer/texture/texture_loader_win32.h"
#include "tests/renderer/texture/dib_fixture_win32.h"
#include "tests/renderer/texture/dib_test_files.h"

using namespace dibtest;

namespace {

constexpr size_t kPage = 4096;

// A file whose pixel bits end exactly at a page boundary: the gap between the colour table and the bits is
// filled, and the file header's offset moved to match.
Bytes EndingOnAPage(const InfoFile& f) {
    Bytes file = Build(f);
    const size_t bitsAt = file.size() - f.bits.size();
    const size_t total = (file.size() + kPage - 1) / kPage * kPage;
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(bitsAt), total - file.size(), 0xCC);
    Set32(file, 2, static_cast<uint32_t>(file.size()));
    Set32(file, 10, static_cast<uint32_t>(total - f.bits.size()));
    return file;
}

InfoFile RunLength(uint32_t compression, Bytes bits) {
    InfoFile f;
    f.width = 4;
    f.height = 2;
    f.bitCount = compression == orvalis::kBiRle8 ? 8 : 4;
    f.compression = compression;
    f.table = PaletteTable(compression == orvalis::kBiRle8 ? 256 : 16);
    f.sizeImage = static_cast<uint32_t>(bits.size());
    f.bits = std::move(bits);
    return f;
}

class DibBadInput : public TempFolderTest {
protected:
    DibBadInput() : TempFolderTest("orvalis-dib-bad-") {}
    void TearDown() override {
        DeleteFileA(Path("bad.bmp").c_str());
        RemoveDirectoryA(Path("folder.bmp").c_str());
        TempFolderTest::TearDown();
    }

    std::string Path(const char* name) const { return folder_ + name; }

    orvalis::RgbImagePtr Load(const Bytes& bytes) {
        const std::string path = Path("bad.bmp");
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        messages.clear();
        return orvalis::RgbImagePtr(orvalis::ReadBitmapFile(path.c_str()));
    }

    // Either the picture of the header's size and no message, or no picture and the conversion message.
    void ExpectImageOrConversionError(const Bytes& bytes, int width, int height) {
        const orvalis::RgbImagePtr image = Load(bytes);
        if (image) {
            EXPECT_TRUE(messages.empty()) << messages.front();
            EXPECT_EQ(image->width, width);
            EXPECT_EQ(image->height, height);
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], "Image file conversion error.");
        }
    }
};

}  // namespace

TEST_F(DibBadInput, RunLengthDataThatLeavesTheRowTheImageOrTheFile) {
    const uint32_t rle8 = orvalis::kBiRle8, rle4 = orvalis::kBiRle4;
    const struct {
        const char* what;
        uint32_t compression;
        Bytes bits;
    } cases[] = {
        {"run longer than the row", rle8, {10, 7, 0, 1}},
        {"run longer than the image", rle8, {255, 7, 255, 8, 255, 9, 0, 1}},
        {"delta past the row and the image", rle8, {0, 2, 200, 200, 4, 7, 0, 1}},
        {"delta to the last row, then a run", rle8, {0, 2, 3, 1, 9, 5, 0, 1}},
        {"literal run past the row", rle8, {0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1}},
        {"literal run past the end of the data", rle8, {0, 200, 1, 2}},
        {"more rows than the image", rle8, {4, 7, 0, 0, 4, 7, 0, 0, 4, 7, 0, 0, 4, 7, 0, 1}},
        {"no end marker", rle8, {4, 7}},
        {"escape cut off", rle8, {4, 7, 0}},
        {"delta cut off", rle8, {0, 2, 1}},
        {"only end-of-line markers", rle8, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"4-bit run past the row", rle4, {20, 0x12, 0, 1}},
        {"4-bit delta past the image", rle4, {0, 2, 100, 100, 0, 1}},
        {"4-bit literal run past the data", rle4, {0, 30, 0x12, 0x34}},
        {"4-bit no end marker", rle4, {4, 0x56}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectImageOrConversionError(EndingOnAPage(RunLength(c.compression, c.bits)), 4, 2);
    }
}

TEST_F(DibBadInput, WellFormedRunLengthDataEndingOnAPageStillLoads) {
    // The page-end layout itself must not be what fails the cases above.
    const orvalis::RgbImagePtr image =
        Load(EndingOnAPage(RunLength(orvalis::kBiRle8, {4, 7, 0, 0, 4, 9, 0, 1})));
    ASSERT_TRUE(image);
    EXPECT_TRUE(messages.empty());
    const Rgb c7 = PaletteColor(7), c9 = PaletteColor(9);
    Bytes expected;
    for (const Rgb& c : {c7, c7, c7, c7, c9, c9, c9, c9}) expected.insert(expected.end(), {c.r, c.g, c.b});
    EXPECT_EQ(Bytes(image->data, image->data + expected.size()), expected);
}

TEST_F(DibBadInput, ColourCountsAboveWhatTheBitsCanIndex) {
    // 1 bit with 16 colours, 4 bits with 200, 8 bits with 300: the pixels reach only the first 2, 16, 256.
    for (const auto& [bitCount, colours] : {std::pair{1, 16}, std::pair{4, 200}, std::pair{8, 300}}) {
        SCOPED_TRACE(testing::Message() << bitCount << " bits, " << colours << " colours");
        InfoFile f = Palettised(9, 2, bitCount);
        f.clrUsed = static_cast<uint32_t>(colours);
        f.table = PaletteTable(colours);
        const orvalis::RgbImagePtr image = Load(EndingOnAPage(f));
        if (image) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(Bytes(image->data, image->data + 9 * 2 * 3), ExpectedPalettised(9, 2, 1 << bitCount));
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], "Image file conversion error.");
        }
    }
}

TEST_F(DibBadInput, SizesWhoseByteCountsOverflowAreRefusedWithTheConversionMessage) {
    for (const auto& [width, height, bitCount] : {std::tuple{65536, 65536, 24}, std::tuple{0x7FFFFFFF, 3, 32},
                                                  std::tuple{3, INT_MIN, 24}, std::tuple{16384, 16384, 32}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << " x " << bitCount);
        InfoFile f = Picture24(4, 4);
        f.width = width;
        f.height = height;
        f.bitCount = static_cast<uint16_t>(bitCount);
        EXPECT_FALSE(Load(EndingOnAPage(f)));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "Image file conversion error.");
    }
}

TEST_F(DibBadInput, AFolderAtThePathIsNoPicture) {
    const std::string folder = Path("folder.bmp");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    messages.clear();
    EXPECT_EQ(orvalis::ReadBitmapFile(folder.c_str()), nullptr);
    EXPECT_TRUE(messages.empty()) << messages.front();
    // Reached past the C library's check, the open itself fails and says so.
    EXPECT_EQ(orvalis::LoadDibImage(folder.c_str()), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Failed to open DIB file " + folder + ".\n");
}
