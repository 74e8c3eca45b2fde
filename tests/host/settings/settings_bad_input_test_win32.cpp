// Settings files a user, another program or a broken disk may leave beside the host, loaded through the real
// profile functions: loading gives the defaults or the values that can be read, and never touches the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "host/settings/settings_store_win32.h"
#include "tests/host/scratch_folder_win32.h"

using namespace orvalis;

namespace {

const std::string kKind = kKeyBgmKind;
const std::string kRepeat = kKeyBgmRepeat;
const std::string kFile = kKeyBgmFile;

class SettingsBadInput : public ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        ini_ = Path("Orvalis.ini");
        music_ = Path("song.wav");
        Write(music_, "RIFF");
    }
    void TearDown() override {
        SetFileAttributesA(folder_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ScratchFolder::TearDown();
    }

    static void Write(const std::string& path, const std::string& bytes) { WriteBytes(path, bytes); }
    static std::string Read(const std::string& path) { return ReadBytes(path); }

    static FILETIME WriteTime(const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }

    // Writes the settings file, loads it into a record that starts from the given values, and checks that
    // the file's bytes and time are as they were.
    SaverSettingsRecord Load(const std::string& bytes, SaverSettingsRecord start = {}) {
        Write(ini_, bytes);
        return LoadUnchanged(std::move(start));
    }

    SaverSettingsRecord LoadUnchanged(SaverSettingsRecord start = {}) {
        const std::string before = Read(ini_);
        const FILETIME stamp = WriteTime(ini_);
        ProfileSettingsSource source;
        LoadSettingsFrom(source, folder_, start);
        EXPECT_EQ(Read(ini_), before) << "loading changed the settings file";
        const FILETIME after = WriteTime(ini_);
        EXPECT_EQ(CompareFileTime(&stamp, &after), 0) << "loading touched the settings file";
        return start;
    }

    void ExpectDefaults(const SaverSettingsRecord& s) {
        EXPECT_EQ(s.bgmKind, 0);
        EXPECT_EQ(s.bgmRepeat, 0);
        EXPECT_EQ(s.bgmFile, "");
        EXPECT_EQ(s.browseFolder, folder_);
    }

    static std::string Section(const std::string& body) { return "[Section]\r\n" + body; }
    static std::string Line(const std::string& key, const std::string& value) {
        return key + "=" + value + "\r\n";
    }

    std::string ini_;
    std::string music_;
};

}  // namespace

TEST_F(SettingsBadInput, JunkFilesAndFilesWithoutTheSectionGiveTheDefaults) {
    std::string junk;
    uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245u + 12345u;
        junk += static_cast<char>(x >> 24);
    }
    ExpectDefaults(Load(junk));
    ExpectDefaults(Load(Line(kKind, "1") + Line(kRepeat, "3") + Line(kFile, music_)));
    ExpectDefaults(Load("[Other]\r\n" + Line(kKind, "1") + Line(kRepeat, "3")));
    const char utf16[] = "\xFF\xFE[\0S\0e\0c\0";  // a cut-off UTF-16 file
    ExpectDefaults(Load(std::string(utf16, sizeof utf16 - 1)));
    ExpectDefaults(Load(""));
}

TEST_F(SettingsBadInput, AOneMegabyteFileIsReadToItsEnd) {
    std::string big;
    while (big.size() < 1024 * 1024) big += "; filler line of a settings file that grew far too long\r\n";
    const SaverSettingsRecord s =
        Load(big + Section(Line(kKind, "2") + Line(kRepeat, "4") + Line(kFile, music_)));
    EXPECT_EQ(s.bgmKind, 2);
    EXPECT_EQ(s.bgmRepeat, 4);
    EXPECT_EQ(s.bgmFile, music_);
    EXPECT_EQ(s.browseFolder, folder_);
}

TEST_F(SettingsBadInput, RepeatedKeysGiveTheFirstValue) {
    const SaverSettingsRecord s =
        Load(Section(Line(kKind, "1") + Line(kKind, "2") + Line(kRepeat, "5") + Line(kFile, music_) +
                     Line(kRepeat, "6") + Line(kFile, folder_ + "\\other.wav")));
    EXPECT_EQ(s.bgmKind, 1);
    EXPECT_EQ(s.bgmRepeat, 5);
    EXPECT_EQ(s.bgmFile, music_);
}

TEST_F(SettingsBadInput, NumbersAsPeopleAndOtherProgramsWriteThem) {
    const struct {
        const char* text;
        int16_t value;
    } cases[] = {{" 2 ", 2},   {"\t1", 1}, {"2e0", 2}, {"1E1", 10}, {"-0.5", -1}, {"2.9", 2},
                 {"70000", 7}, {"1 2", 7}, {"2x", 7},  {"", 0},     {"0x2", 7},   {"1e", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SaverSettingsRecord start;
        start.bgmRepeat = 7;  // what a value that cannot be read leaves in place
        const SaverSettingsRecord s = Load(Section(Line(kRepeat, c.text)), start);
        EXPECT_EQ(s.bgmRepeat, c.value);
    }
    // A kind that is no choice plays nothing; -0.5 rounds down to -1.
    EXPECT_EQ(Load(Section(Line(kKind, "-0.5") + Line(kFile, music_))).bgmKind, -1);
}

TEST_F(SettingsBadInput, OverlongValuesAreCutAndThenJudged) {
    // 298 zeros and a 2: the first 255 bytes are all zeros.
    SaverSettingsRecord s =
        Load(Section(Line(kKind, std::string(298, '0') + "2") + Line(kFile, music_ + std::string(300, 'x'))));
    EXPECT_EQ(s.bgmKind, 0);
    EXPECT_EQ(s.bgmFile, "");
    EXPECT_EQ(s.browseFolder, folder_);
    // Blanks before a value are dropped by the profile reader before the cut, however many there are.
    s = Load(Section(Line(kRepeat, std::string(300, ' ') + "3")));
    EXPECT_EQ(s.bgmRepeat, 3);
    // 300 digits: the cut leaves a number far outside 16 bits, which is not taken.
    SaverSettingsRecord start;
    start.bgmRepeat = 7;
    s = Load(Section(Line(kRepeat, std::string(300, '9'))), start);
    EXPECT_EQ(s.bgmRepeat, 7);
}

TEST_F(SettingsBadInput, MusicPathsThatNameNoReadableFile) {
    for (const std::string& path :
         {folder_, folder_ + "\\", std::string("\\\\nosuchserver\\share\\a.wav"), std::string("C:"),
          std::string("\\\\?\\"), std::string(":"), music_ + "\\x.wav", std::string(250, '\\')}) {
        SCOPED_TRACE(path);
        const SaverSettingsRecord s = Load(Section(Line(kKind, "2") + Line(kFile, path)));
        EXPECT_EQ(s.bgmKind, 0);
        EXPECT_EQ(s.bgmFile, "");
        EXPECT_EQ(s.browseFolder, folder_);
    }
}

TEST_F(SettingsBadInput, ReadOnlyFileAndFolderLoadAsUsual) {
    Write(ini_, Section(Line(kKind, "2") + Line(kRepeat, "3") + Line(kFile, music_)));
    ASSERT_TRUE(SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY));
    SaverSettingsRecord s = LoadUnchanged();
    EXPECT_EQ(s.bgmKind, 2);
    EXPECT_EQ(s.bgmRepeat, 3);
    EXPECT_EQ(s.bgmFile, music_);
    ASSERT_TRUE(SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesA(folder_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    s = LoadUnchanged();
    EXPECT_EQ(s.bgmKind, 2);
    EXPECT_EQ(s.bgmFile, music_);
}
