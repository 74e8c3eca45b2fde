// The reader through the real system conversion (SetDIBits into a DIB section), its messages, and the
// texture upload with its temporary-folder fallback.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/contract.h"
#include "common/text_win32.h"
#include "renderer/texture/dib_reader.h"
#include "renderer/texture/texture_loader_win32.h"
#include "tests/renderer/texture/dib_fixture_win32.h"
#include "tests/renderer/texture/dib_test_files.h"

using namespace dibtest;

namespace {

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
}

Bytes Pixels(const orvalis::RgbImage& image) {
    return Bytes(image.data, image.data + static_cast<size_t>(image.width) * image.height * 3);
}

class DibLoader : public TempFolderTest {
protected:
    DibLoader() : TempFolderTest("orvalis-dib-") {}
    void TearDown() override {
        for (const auto& path : written_) DeleteFileA(path.c_str());
        TempFolderTest::TearDown();
    }

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = folder_ + name;
        WriteFileBytes(path, bytes);
        written_.push_back(path);
        return path;
    }

    // Loads through the system's conversion and expects an image with exactly these pixels, no message.
    void ExpectLoads(const Bytes& file, int width, int height, const Bytes& expected) {
        const std::string path = Write("good.bmp", file);
        orvalis::RgbImagePtr image(orvalis::LoadDibImage(path.c_str()));
        EXPECT_TRUE(messages.empty()) << messages.front();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        EXPECT_EQ(Pixels(*image), expected);
    }

    // Loads `file` and expects null with exactly one message.
    void ExpectMessage(const Bytes& file, const std::string& text) {
        const std::string path = Write("bad.bmp", file);
        messages.clear();
        orvalis::RgbImagePtr image(orvalis::LoadDibImage(path.c_str()));
        EXPECT_FALSE(image);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], text);
    }

    std::vector<std::string> written_;
};

}  // namespace

TEST_F(DibLoader, SystemConversionDecodesTheFourBasicFiles) {
    ExpectLoads(Build(Picture24(5, 3)), 5, 3, ExpectedPixels(5, 3));
    ExpectLoads(Build(Picture24(4, 3)), 4, 3, ExpectedPixels(4, 3));
    ExpectLoads(Build(Palettised(5, 3, 8)), 5, 3, ExpectedPalettised(5, 3, 256));
    ExpectLoads(BuildCore(5, 3, 8, PaletteTable(256, 3), IndexRows(5, 3, 8, 256)), 5, 3,
                ExpectedPalettised(5, 3, 256));
}

TEST_F(DibLoader, SystemAndOwnConversionAgreeOnEveryUncompressedKind) {
    std::vector<std::pair<std::string, Bytes>> files;
    for (int bitCount : {1, 4, 8}) {
        for (int width : {3, 9}) {
            files.emplace_back("pal" + std::to_string(bitCount) + "w" + std::to_string(width),
                               Build(Palettised(width, 2, bitCount)));
        }
    }
    InfoFile topDown = Picture24(6, 3);
    topDown.height = -3;
    topDown.bits = Rows24(6, 3, true);
    files.emplace_back("top-down 24", Build(topDown));
    InfoFile topDown8 = Palettised(5, 2, 8);
    topDown8.height = -2;
    files.emplace_back("top-down 8", Build(topDown8));
    InfoFile packed = Palettised(7, 2, 4);
    packed.fileHeader = false;
    files.emplace_back("packed 4", Build(packed));
    InfoFile shortTable = Palettised(5, 2, 4);
    shortTable.clrUsed = 3;  // indices 3 and up lie past the table
    shortTable.table = PaletteTable(3);
    files.emplace_back("short table", Build(shortTable));
    files.emplace_back("core 24", BuildCore(3, 2, 24, {}, Rows24(3, 2)));
    files.emplace_back("core 1", BuildCore(9, 2, 1, PaletteTable(2, 3), IndexRows(9, 2, 1, 2)));

    InfoFile f16;
    f16.width = 3;
    f16.height = 2;
    f16.bitCount = 16;
    for (uint32_t v : {0x7FFFu, 0x4021u, 0x001Fu, 0u, 0x0000u, 0x2D6Bu, 0x7C00u, 0u}) Put16(f16.bits, v);
    files.emplace_back("16 bits 5-5-5", Build(f16));
    InfoFile f565 = f16;
    f565.compression = orvalis::kBiBitfields;
    Put32(f565.table, 0xF800);
    Put32(f565.table, 0x07E0);
    Put32(f565.table, 0x001F);
    files.emplace_back("16 bits 5-6-5", Build(f565));
    InfoFile f32;
    f32.width = 2;
    f32.height = 2;
    f32.bitCount = 32;
    f32.bits = {1, 2, 3, 4, 250, 128, 7, 0, 9, 10, 11, 12, 0, 255, 0, 1};
    files.emplace_back("32 bits", Build(f32));

    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        const auto own = orvalis::DecodeDib(file);
        ASSERT_TRUE(own.image);
        ExpectLoads(file, own.image->width, own.image->height, Pixels(*own.image));
    }
}

TEST_F(DibLoader, RunLengthFilesAreConvertedByTheSystem) {
    InfoFile rle;
    rle.width = 4;
    rle.height = 2;
    rle.bitCount = 8;
    rle.compression = orvalis::kBiRle8;
    rle.table = PaletteTable(256);
    rle.bits = {4, 7, 0, 0, 2, 3, 2, 9, 0, 1};  // row 0: four of 7; row 1: two of 3, two of 9; end
    rle.sizeImage = static_cast<uint32_t>(rle.bits.size());
    const Rgb c7 = PaletteColor(7), c3 = PaletteColor(3), c9 = PaletteColor(9);
    Bytes expected;
    for (const Rgb& c : {c7, c7, c7, c7, c3, c3, c9, c9}) expected.insert(expected.end(), {c.r, c.g, c.b});
    ExpectLoads(Build(rle), 4, 2, expected);
}

TEST_F(DibLoader, RingAssetDecodesToTheFilesRows) {
    std::string path = "Z:" ORVALIS_ASSETS_DIR "/tessalume.bmp";
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    const Bytes file = ReadWholeFile(path.c_str());
    ASSERT_EQ(file.size(), 49206u);
    orvalis::RgbImagePtr image(orvalis::ReadBitmapFile(path.c_str()));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 128);
    ASSERT_EQ(image->height, 128);
    Bytes expected;
    for (size_t i = 54; i < file.size(); i += 3)
        expected.insert(expected.end(), {file[i + 2], file[i + 1], file[i]});
    EXPECT_EQ(Pixels(*image), expected);
}

TEST_F(DibLoader, EmptyAndLockedFilesShowTheOpenFailureWithThePath) {
    const std::string empty = Write("empty.bmp", {});
    orvalis::RgbImagePtr image(orvalis::ReadBitmapFile(empty.c_str()));
    EXPECT_FALSE(image);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Failed to open DIB file " + empty + ".\n");

    messages.clear();
    const std::string locked = Write("locked.bmp", Build(Picture24(4, 4)));
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    image.reset(orvalis::LoadDibImage(locked.c_str()));
    CloseHandle(lock);
    EXPECT_FALSE(image);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Failed to open DIB file " + locked + ".\n");
}

TEST_F(DibLoader, BadHeadersShowOneMessageEach) {
    InfoFile v4 = Picture24(4, 4);
    v4.headerSize = 108;
    ExpectMessage(Build(v4), "Unknown DIB file format.");

    Bytes truncated = Build(Picture24(8, 8));
    truncated.resize(truncated.size() - 10);
    ExpectMessage(truncated, "Image file conversion error.");

    Bytes offsetPastEnd = Build(Picture24(4, 4));
    Set32(offsetPastEnd, 10, 0x7FFFFFF0);
    ExpectMessage(offsetPastEnd, "Image file conversion error.");

    InfoFile rle;
    rle.width = 4;
    rle.height = 1;
    rle.bitCount = 8;
    rle.compression = orvalis::kBiRle8;
    rle.table = PaletteTable(256);
    rle.bits = {4, 7, 0, 1};
    rle.sizeImage = 4000;  // claims more run-length data than the file holds
    ExpectMessage(Build(rle), "Image file conversion error.");
}

TEST_F(DibLoader, MissingFileOrNullPathGivesNullWithoutMessage) {
    EXPECT_EQ(orvalis::ReadBitmapFile(nullptr), nullptr);
    EXPECT_EQ(orvalis::ReadBitmapFile((folder_ + "absent.bmp").c_str()), nullptr);
    EXPECT_TRUE(messages.empty());
}

namespace {

// A hidden window with a current GL context, so the upload can be read back.
class GlContext {
public:
    GlContext() {
        WNDCLASSA wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvalisDibTestGL";
        RegisterClassA(&wc);
        window_ = CreateWindowA(wc.lpszClassName, "dib test", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                wc.hInstance, nullptr);
        if (window_ == nullptr) return;
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof(pfd);
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 24;
        const int format = ChoosePixelFormat(dc_, &pfd);
        if (format == 0 || !SetPixelFormat(dc_, format, &pfd)) return;
        context_ = wglCreateContext(dc_);
        if (context_ != nullptr && !wglMakeCurrent(dc_, context_)) {
            wglDeleteContext(context_);
            context_ = nullptr;
        }
    }
    ~GlContext() {
        if (context_ != nullptr) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context_);
        }
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
        if (window_ != nullptr) DestroyWindow(window_);
    }
    bool ok() const { return context_ != nullptr; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

// Moves a file out of the way for the test and puts it back afterwards.
class SetAside {
public:
    explicit SetAside(std::string path) : path_(std::move(path)), aside_(path_ + ".orvalis-test-aside") {
        moved_ = MoveFileExA(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    ~SetAside() {
        DeleteFileA(path_.c_str());
        if (moved_) MoveFileExA(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string aside_;
    bool moved_ = false;
};

// One of the texture's locations, in the order the renderer tries them (the root of drive C first).
std::string TextureLocation(size_t index) {
    char temp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH + 1, temp);
    std::string path;
    orvalis::AnsiFromWide(orvalis::TextureLocations(orvalis::WideFromAnsi(temp)).at(index), path);
    return path;
}

// The uploaded level-0 image of particleTexture, as tightly packed RGB rows.
Bytes ReadBackTexture(int& width, int& height) {
    glBindTexture(GL_TEXTURE_2D, orvalis::particleTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    Bytes pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace

// These tests share "C:\Tessalume.bmp" and the temporary folder's copy with the rest of the prefix; the
// build runs them under one resource lock and each puts back any file it found.
class ParticleTexture : public CapturedMessages {
protected:
    void SetUp() override {
        CapturedMessages::SetUp();
        ASSERT_TRUE(gl_.ok()) << "no GL context";
        orvalis::particleTexture = 0;
    }

    GlContext gl_;
    SetAside root_{TextureLocation(0)};
    SetAside temp_{TextureLocation(1)};
};

TEST_F(ParticleTexture, RootFileIsUploadedWithLinearFilters) {
    WriteFileBytes(root_.path(), Build(Picture24(4, 4)));
    WriteFileBytes(temp_.path(), Build(Picture24(8, 2)));
    ASSERT_TRUE(orvalis::LoadParticleTexture());
    EXPECT_NE(orvalis::particleTexture, 0u);
    int width = 0, height = 0;
    EXPECT_EQ(ReadBackTexture(width, height), ExpectedPixels(4, 4));
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ParticleTexture, RowsThatAreNotAMultipleOfFourBytesUploadUnsheared) {
    for (auto [width, height] : {std::pair{5, 3}, std::pair{3, 2}}) {
        orvalis::particleTexture = 0;
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // the context's default, whatever ran before
        WriteFileBytes(root_.path(), Build(Picture24(width, height)));
        ASSERT_TRUE(orvalis::LoadParticleTexture());
        int readWidth = 0, readHeight = 0;
        EXPECT_EQ(ReadBackTexture(readWidth, readHeight), ExpectedPixels(width, height))
            << width << "x" << height;
        EXPECT_EQ(readWidth, width);
        EXPECT_EQ(readHeight, height);
    }
}

TEST_F(ParticleTexture, TemporaryFolderCopyIsReadWhenTheRootFileIsAbsent) {
    WriteFileBytes(temp_.path(), Build(Picture24(8, 2)));
    ASSERT_TRUE(orvalis::LoadParticleTexture());
    int width = 0, height = 0;
    EXPECT_EQ(ReadBackTexture(width, height), ExpectedPixels(8, 2));
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 2);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ParticleTexture, NoFileAnywhereCreatesNoTextureAndShowsNothing) {
    EXPECT_FALSE(orvalis::LoadParticleTexture());
    EXPECT_EQ(orvalis::particleTexture, 0u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ParticleTexture, UnreadableRootFileIsReportedAndNotReplacedByTheTemporaryCopy) {
    InfoFile v5 = Picture24(4, 4);
    v5.headerSize = 124;
    WriteFileBytes(root_.path(), Build(v5));
    WriteFileBytes(temp_.path(), Build(Picture24(8, 2)));
    EXPECT_FALSE(orvalis::LoadParticleTexture());
    EXPECT_EQ(orvalis::particleTexture, 0u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unknown DIB file format.");
}
