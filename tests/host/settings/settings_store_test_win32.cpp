// The settings file through the real profile functions, on real files in a scratch folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/settings/settings_store_win32.h"
#include "tests/host/scratch_folder_win32.h"

using namespace orvalis;

namespace {

class SettingsStore : public ScratchFolder {};

}  // namespace

TEST_F(SettingsStore, ValuesRoundTripUnderTheCodePage932Keys) {
    const std::string ini = Path("Orvalis.ini");
    WriteIniString(kSettingsSection, kKeyBgmKind, "2", ini);
    WriteIniString(kSettingsSection, kKeyBgmRepeat, "3", ini);
    WriteIniString(kSettingsSection, kKeyBgmFile, "C:\\My Music\\a b.mp3", ini);
    EXPECT_EQ(ReadIniString(kSettingsSection, kKeyBgmKind, ini), "2");
    EXPECT_EQ(ReadIniString(kSettingsSection, kKeyBgmRepeat, ini), "3");
    EXPECT_EQ(ReadIniString(kSettingsSection, kKeyBgmFile, ini), "C:\\My Music\\a b.mp3");
    EXPECT_EQ(ReadIniString(kSettingsSection, "missing", ini), "");
    EXPECT_EQ(ReadIniString("Other", kKeyBgmKind, ini), "");
    EXPECT_EQ(ReadIniString(kSettingsSection, kKeyBgmKind, Path("none.ini")), "");
    // The key names are stored as their code page 932 bytes, whatever the system code page.
    const std::string text = ReadBytes(ini);
    EXPECT_NE(text.find("[Section]"), std::string::npos) << text;
    EXPECT_NE(text.find("BGM\x8B\xE6\x95\xAA=2"), std::string::npos) << text;
    EXPECT_NE(text.find("BGM\xD8\xCB\xDF\xB0\xC4=3"), std::string::npos) << text;
    EXPECT_NE(text.find("BGM\xCC\xA7\xB2\xD9=C:\\My Music\\a b.mp3"), std::string::npos) << text;
}

TEST_F(SettingsStore, LongValuesComeBackCutTo255BytesAndLongNamesTo127) {
    const std::string ini = Path("Orvalis.ini");
    std::string value;
    for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
    WriteIniString(kSettingsSection, kKeyBgmFile, value, ini);
    EXPECT_EQ(ReadIniString(kSettingsSection, kKeyBgmFile, ini), value.substr(0, 255));

    const std::string longKey(200, 'k');
    WriteIniString(kSettingsSection, longKey, "x", ini);
    EXPECT_EQ(ReadIniString(kSettingsSection, longKey.substr(0, 127), ini), "x");
}

TEST_F(SettingsStore, WritesTellWhetherThePlatformTookThem) {
    EXPECT_TRUE(WriteIniString(kSettingsSection, kKeyBgmKind, "1", Path("Orvalis.ini")));
    // A folder in the file's place: the platform can neither open nor create the file.
    const std::string blocked = Path("blocked.ini");
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_FALSE(WriteIniString(kSettingsSection, kKeyBgmKind, "1", blocked));
    EXPECT_FALSE(WriteIniString(kSettingsSection, kKeyBgmKind, "1", Path("missing\\Orvalis.ini")));
}

TEST_F(SettingsStore, AFileWrittenByAnEarlierVersionReadsBackUnchanged) {
    // Code page 932 bytes as an earlier version left them, CRLF lines, blanks around a number.
    WriteBytes(Path("song.mp3"), "ID3");
    const std::string file = Path("song.mp3");
    WriteBytes(Path("Orvalis.ini"),
               "[Section]\r\nBGM\x8B\xE6\x95\xAA= 2 \r\nBGM\xD8\xCB\xDF\xB0\xC4=4\r\n"
               "BGM\xCC\xA7\xB2\xD9=" +
                   file + "\r\n");
    SaverSettingsRecord settings;
    ProfileSettingsSource source;
    LoadSettingsFrom(source, folder_, settings);
    EXPECT_EQ(settings.bgmKind, 2);
    EXPECT_EQ(settings.bgmRepeat, 4);
    EXPECT_EQ(settings.bgmFile, file);
    EXPECT_EQ(settings.browseFolder, folder_);
}

TEST_F(SettingsStore, LoadingForgetsMissingFilesAndFolders) {
    ProfileSettingsSource source;
    SaverSettingsRecord settings;
    LoadSettingsFrom(source, folder_, settings);  // no settings file at all
    EXPECT_EQ(settings.bgmKind, 0);
    EXPECT_EQ(settings.bgmRepeat, 0);
    EXPECT_EQ(settings.bgmFile, "");
    EXPECT_EQ(settings.browseFolder, folder_);

    const std::string ini = Path("Orvalis.ini");
    CreateDirectoryA(Path("music").c_str(), nullptr);
    for (const std::string& missing : {Path("gone.wav"), Path("music"), Path("music") + "\\"}) {
        WriteIniString(kSettingsSection, kKeyBgmKind, "2", ini);
        WriteIniString(kSettingsSection, kKeyBgmFile, missing, ini);
        LoadSettingsFrom(source, folder_, settings);
        EXPECT_EQ(settings.bgmKind, 0) << missing;
        EXPECT_EQ(settings.bgmFile, "") << missing;
        EXPECT_EQ(settings.browseFolder, folder_) << missing;
    }
}

TEST_F(SettingsStore, FileExistsOnlyForReadableFiles) {
    WriteBytes(Path("a.wav"), "RIFF");
    EXPECT_TRUE(FileExists(Path("a.wav")));
    EXPECT_TRUE(FileExists(Path("a.wav") + "\\"));  // the trailing backslash is dropped first
    EXPECT_FALSE(FileExists(Path("b.wav")));
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(FileExists(folder_ + "\\"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("\\"));
    EXPECT_EQ(GetLastError(), 0u);
}
