// The texture picture written to real files in a scratch folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/temp_folder_win32.h"
#include "common/texture_picture.h"
#include "host/saver/texture_file_win32.h"
#include "tests/host/scratch_folder_win32.h"

using namespace orvalis;

namespace {

class TextureFile : public ScratchFolder {};

}  // namespace

TEST_F(TextureFile, IsWrittenWholeAndReplacesAStaleFile) {
    const std::vector<uint8_t> picture = TexturePictureBmp();
    const std::string primary = Path("Tessalume.bmp");
    WriteBytes(primary, "stale picture from an earlier run, longer than nothing");
    const std::wstring fallback(folder_.begin(), folder_.end());
    const std::wstring written =
        WriteTextureFileTo(picture, std::wstring(primary.begin(), primary.end()), fallback + L"\\fallback");
    EXPECT_EQ(written, std::wstring(primary.begin(), primary.end()));
    const std::string bytes = ReadBytes(primary);
    ASSERT_EQ(bytes.size(), 49206u);
    EXPECT_TRUE(std::vector<uint8_t>(bytes.begin(), bytes.end()) == picture);
}

TEST_F(TextureFile, FallsBackToTheOtherFolderWhenThePrimaryCannotBeWritten) {
    const std::vector<uint8_t> picture = TexturePictureBmp();
    // A folder in the way of the file: CreateFile refuses it as it refuses a read-only root.
    const std::string blocked = Path("Tessalume.bmp");
    CreateDirectoryA(blocked.c_str(), nullptr);
    const std::string other = Path("temp");
    CreateDirectoryA(other.c_str(), nullptr);
    const std::wstring written = WriteTextureFileTo(picture, std::wstring(blocked.begin(), blocked.end()),
                                                    std::wstring(other.begin(), other.end()) + L"\\");
    const std::string expected = other + "\\Tessalume.bmp";
    EXPECT_EQ(written, std::wstring(expected.begin(), expected.end()));
    EXPECT_EQ(ReadBytes(expected).size(), 49206u);

    // Neither place writable: nothing is claimed.
    const std::string blockedToo = other + "\\Tessalume.bmp";
    DeleteFileA(blockedToo.c_str());
    CreateDirectoryA(blockedToo.c_str(), nullptr);
    EXPECT_EQ(WriteTextureFileTo(picture, std::wstring(blocked.begin(), blocked.end()),
                                 std::wstring(other.begin(), other.end())),
              L"");
}

TEST(TextureFileDefaults, FallbackIsTheUsersTemporaryFolder) {
    const std::wstring temp = TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    EXPECT_EQ(GetFileAttributesW(temp.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}
