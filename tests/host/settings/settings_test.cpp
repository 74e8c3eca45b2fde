#include "host/settings/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

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
    bool FileExists(const std::string& path) override {
        tested.insert(path);
        return existing.count(path) > 0;
    }
    bool IsSharedFolder(const std::string& folder) override { return sharedFolders.count(folder) > 0; }
    bool IsRemoteRoot(const std::string& root) override { return remoteRoots.count(root) > 0; }

    std::map<std::string, std::string> values;
    std::set<std::string> existing;
    std::set<std::string> files;
    std::set<std::string> tested;
    std::set<std::string> sharedFolders;
    std::set<std::string> remoteRoots;
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

TEST(OtherComputer, EachFormOfAServerPathAndLocalPaths) {
    struct Case {
        const char* path;
        bool other;
        const char* rootAsked;  // nullptr: no drive is asked about
    };
    const Case cases[] = {
        {"\\\\server\\share\\a.mp3", true, nullptr},
        {"//server/share/a.mp3", true, nullptr},
        {"\\/server/share\\a.mp3", true, nullptr},
        {"\\\\?\\UNC\\server\\share\\a.mp3", true, nullptr},
        {"\\\\.\\UNC\\server\\share\\a.mp3", true, nullptr},
        {"\\\\?\\GLOBALROOT\\Device\\Mup\\server\\share\\a.mp3", true, nullptr},
        {"\\\\?\\", true, nullptr},
        {"\\\\?server\\a.mp3", true, nullptr},
        {"\\\\a\\C:\\a.mp3", true, nullptr},
        {"Z:\\Music\\a.mp3", true, "Z:\\"},
        {"z:a.mp3", true, "Z:\\"},
        {"\\\\?\\Z:\\a.mp3", true, "Z:\\"},
        {"C:\\Music\\a.mp3", false, "C:\\"},
        {"c:/Music/a.mp3", false, "C:\\"},
        {"\\\\?\\C:\\Music\\a.mp3", false, "C:\\"},
        {"\\\\.\\c:\\a.wav", false, "C:\\"},
        {"a:\\a.wav", false, "A:\\"},
        {"\\Music\\a.mp3", false, ""},
        {"Music\\a.mp3", false, ""},
        {"a.mp3", false, ""},
        {"1:\\a.mp3", false, ""},
        {"", false, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string> asked;
        const bool other = orvalis::NamesOtherComputer(c.path, [&asked](const std::string& root) {
            asked.push_back(root);
            return root == "Z:\\";
        });
        EXPECT_EQ(other, c.other) << c.path;
        EXPECT_EQ(asked, c.rootAsked ? std::vector<std::string>{c.rootAsked} : std::vector<std::string>{})
            << c.path;
    }
    // A relative path lies on the drive of the current folder, which may be another computer's.
    const auto currentIsRemote = [](const std::string& root) { return root.empty(); };
    EXPECT_TRUE(orvalis::NamesOtherComputer("a.mp3", currentIsRemote));
    EXPECT_TRUE(orvalis::NamesOtherComputer("\\a.mp3", currentIsRemote));
    EXPECT_FALSE(orvalis::NamesOtherComputer("C:\\a.mp3", currentIsRemote));
}

TEST(LoadSettings, ASharedSettingsFileNeverReachesAnotherComputer) {
    const std::string system = "C:\\windows\\system32";
    const std::string own = "C:\\users\\me\\Orvalis";
    for (const char* path :
         {"\\\\server\\share\\a.mp3", "//server/share/a.wav", "\\\\?\\UNC\\server\\s\\a.mp3", "Z:\\a.mp3"}) {
        FakeSource source;
        source.values = {{orvalis::kKeyBgmKind, "2"}, {orvalis::kKeyBgmFile, path}};
        source.existing = {path};
        source.sharedFolders = {system};
        source.remoteRoots = {"Z:\\"};
        SaverSettingsRecord settings;
        orvalis::LoadSettingsFrom(source, system, settings);
        EXPECT_EQ(settings.bgmKind, 0) << path;
        EXPECT_EQ(settings.bgmFile, "") << path;
        EXPECT_EQ(settings.browseFolder, system) << path;
        EXPECT_TRUE(source.tested.empty()) << path << ": the existence test touched it";

        // In the user's own folder the same file plays.
        orvalis::LoadSettingsFrom(source, own, settings);
        EXPECT_EQ(settings.bgmKind, 2) << path;
        EXPECT_EQ(settings.bgmFile, path) << path;
    }
    // A local file in the shared folder plays as before.
    FakeSource source;
    source.values = {{orvalis::kKeyBgmKind, "2"}, {orvalis::kKeyBgmFile, "D:\\Music\\a.mp3"}};
    source.existing = {"D:\\Music\\a.mp3"};
    source.sharedFolders = {system};
    source.remoteRoots = {"Z:\\"};
    SaverSettingsRecord settings;
    orvalis::LoadSettingsFrom(source, system, settings);
    EXPECT_EQ(settings.bgmKind, 2);
    EXPECT_EQ(settings.bgmFile, "D:\\Music\\a.mp3");
}
