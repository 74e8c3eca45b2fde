#include "host/settings/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using orvalis::FolderOf;
using orvalis::HostFolderOf;
using orvalis::PathInFolder;
using orvalis::ReadSettingNumber;
using orvalis::SaverSettingsRecord;

namespace {

int16_t Read(const char* text) {
    int16_t field = 0;
    ReadSettingNumber(text, field);
    return field;
}

// An INI file and a disk in memory.
class FakeSource : public orvalis::SettingsSource {
public:
    std::string ReadIniString(const std::string& section, const std::string& key,
                              const std::string& file) override {
        files.insert(file);
        if (section != "Section") return {};
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    }
    bool FileExists(const std::string& path) override { return existing.count(path) > 0; }

    std::map<std::string, std::string> values;
    std::set<std::string> existing;
    std::set<std::string> files;
};

}  // namespace

TEST(SettingNumber, AllowsBlanksAndRoundsFractionsDown) {
    EXPECT_EQ(Read("2"), 2);
    EXPECT_EQ(Read("  2  "), 2);
    EXPECT_EQ(Read("\t1\t"), 1);
    EXPECT_EQ(Read("1.9"), 1);
    EXPECT_EQ(Read("2.7"), 2);
    EXPECT_EQ(Read("-0.5"), -1);
    EXPECT_EQ(Read("+3"), 3);
    EXPECT_EQ(Read(".5"), 0);
    EXPECT_EQ(Read("5."), 5);
    EXPECT_EQ(Read("1e2"), 100);
    EXPECT_EQ(Read("32767"), 32767);
    EXPECT_EQ(Read("-32768"), -32768);
    EXPECT_EQ(Read("32767.9"), 32767);
    EXPECT_EQ(Read("-32768.5"), 0);  // its whole part, -32769, does not fit
}

TEST(SettingNumber, TextThatIsNoSixteenBitNumberLeavesTheField) {
    for (const char* text :
         {"abc", "2x", "x2", "1 2", "70000", "32768", "-32769", "", " ", "-", ".", "1e", "1e99999", "0x10"}) {
        int16_t field = 7;
        EXPECT_FALSE(ReadSettingNumber(text, field)) << text;
        EXPECT_EQ(field, 7) << text;
    }
}

TEST(Paths, FolderOfKeepsTheDriveAndDropsTheLastBackslash) {
    EXPECT_EQ(FolderOf("C:\\Music\\a.mp3"), "C:\\Music");
    EXPECT_EQ(FolderOf("C:\\a.mp3"), "C:");
    EXPECT_EQ(FolderOf("D:b.wav"), "D:");
    EXPECT_EQ(FolderOf("a.mp3"), "");
    EXPECT_EQ(FolderOf("C:\\Music\\"), "C:\\Music");
    EXPECT_EQ(FolderOf("\\\\server\\share\\a.wav"), "\\\\server\\share");
    EXPECT_EQ(FolderOf(""), "");
}

TEST(Paths, HostFolderKeepsTheRootBackslashAndJoinsWithOne) {
    EXPECT_EQ(HostFolderOf("C:\\Saver\\Orvalis.scr"), "C:\\Saver");
    EXPECT_EQ(HostFolderOf("C:\\Orvalis.scr"), "C:\\");
    EXPECT_EQ(PathInFolder("C:\\Saver", "Orvalis.dll"), "C:\\Saver\\Orvalis.dll");
    EXPECT_EQ(PathInFolder("C:\\", "Orvalis.ini"), "C:\\Orvalis.ini");
}

TEST(LoadSettings, NoFileGivesTheDefaultsAndTheHostFolder) {
    FakeSource source;
    SaverSettingsRecord settings;
    orvalis::LoadSettingsFrom(source, "C:\\Saver", settings);
    EXPECT_EQ(settings.bgmKind, 0);
    EXPECT_EQ(settings.bgmRepeat, 0);
    EXPECT_EQ(settings.bgmFile, "");
    EXPECT_EQ(settings.browseFolder, "C:\\Saver");
    EXPECT_EQ(source.files, std::set<std::string>{"C:\\Saver\\Orvalis.ini"});
}

TEST(LoadSettings, KeepsAnExistingMusicFileAndItsFolder) {
    FakeSource source;
    source.values = {{orvalis::kKeyBgmKind, "2"},
                     {orvalis::kKeyBgmRepeat, " 3 "},
                     {orvalis::kKeyBgmFile, "C:\\Music\\a b.mp3"}};
    source.existing = {"C:\\Music\\a b.mp3"};
    SaverSettingsRecord settings;
    orvalis::LoadSettingsFrom(source, "C:\\Saver", settings);
    EXPECT_EQ(settings.bgmKind, 2);
    EXPECT_EQ(settings.bgmRepeat, 3);
    EXPECT_EQ(settings.bgmFile, "C:\\Music\\a b.mp3");
    EXPECT_EQ(settings.browseFolder, "C:\\Music");
}

TEST(LoadSettings, AMissingMusicFileIsForgottenAndTheFileChoiceWithIt) {
    FakeSource source;
    source.values = {{orvalis::kKeyBgmKind, "2"}, {orvalis::kKeyBgmFile, "C:\\Music\\gone.wav"}};
    SaverSettingsRecord settings;
    orvalis::LoadSettingsFrom(source, "C:\\Saver", settings);
    EXPECT_EQ(settings.bgmKind, 0);
    EXPECT_EQ(settings.bgmFile, "");
    EXPECT_EQ(settings.browseFolder, "C:\\Saver");

    // The CD choice survives without a file, and keeps a file that exists although it is not played.
    source.values = {{orvalis::kKeyBgmKind, "1"}, {orvalis::kKeyBgmFile, "C:\\a.wav"}};
    source.existing = {"C:\\a.wav"};
    orvalis::LoadSettingsFrom(source, "C:\\Saver", settings);
    EXPECT_EQ(settings.bgmKind, 1);
    EXPECT_EQ(settings.bgmFile, "C:\\a.wav");
    EXPECT_EQ(settings.browseFolder, "C:");

    source.values = {{orvalis::kKeyBgmKind, "2"}};
    orvalis::LoadSettingsFrom(source, "C:\\Saver", settings);
    EXPECT_EQ(settings.bgmKind, 0);
}

TEST(LoadSettings, BadNumbersLeaveTheInitialZero) {
    FakeSource source;
    source.values = {{orvalis::kKeyBgmKind, "music"}, {orvalis::kKeyBgmRepeat, "70000"}};
    SaverSettingsRecord settings;
    orvalis::LoadSettingsFrom(source, "C:\\", settings);
    EXPECT_EQ(settings.bgmKind, 0);
    EXPECT_EQ(settings.bgmRepeat, 0);
    EXPECT_EQ(settings.browseFolder, "C:\\");
    EXPECT_EQ(source.files, std::set<std::string>{"C:\\Orvalis.ini"});
}
