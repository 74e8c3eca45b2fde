#include "linux/xscreensaver_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orvalis {
namespace {

// The shape of the daemon's app-defaults: other resources around a "*programs:" list whose last entry has
// no joining backslash.
constexpr std::string_view kDefaults =
    "*timeout:\t0:10:00\n"
    "*programs:\t\t\t\t\\\n"
    "\t\t\t\tmaze --root\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t    \\n\\\n"
    "- GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\n"
    "\n"
    "*pointerHysteresis:\t10\n";

constexpr std::string_view kAdded = "  GL: \t\t\t\torvalis --root\t\t\t    \\n";

std::string ExpectedFromDefaults(std::string_view before) {
    return std::string(before) +
           "programs:\t\t\t\t\\\n"
           "\t\t\t\tmaze --root\t\t\t    \\n\\\n"
           "- GL: \t\t\t\tsuperquadrics --root\t\t    \\n\\\n"
           "- GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\\\n" +
           std::string(kAdded) + "\n";
}

TEST(XScreenSaverFileTest, AddsOrvalisAfterTheLastEntryKeepingEveryOtherByte) {
    struct Case {
        const char* name;
        std::optional<std::string_view> user;
        std::string expected;
    };
    const std::string settingsStyle =
        "# XScreenSaver Preferences File\n"
        "timeout:\t0:05:00\n"
        "programs:\t\t\t\t\\\n"
        "\t\t\t\tmaze --root\t\t\t    \\n\\\n"
        "  GL: \t\t\t\tgears --root\t\t\t    \\n\\\n"
        "\n"
        "\n"
        "pointerHysteresis:\t10\n";
    const std::vector<Case> cases = {
        {"no file: the defaults' list", std::nullopt,
         ExpectedFromDefaults(
             "# XScreenSaver's display modes and Orvalis (orvalis --add-to-xscreensaver)\n")},
        {"a file without a list gets the defaults' list", "lock:\tFalse\n",
         ExpectedFromDefaults("lock:\tFalse\n")},
        {"a file without a final newline", "lock:\tFalse", ExpectedFromDefaults("lock:\tFalse\n")},
        {"the settings program's layout: before the blank line that ends the list", settingsStyle,
         "# XScreenSaver Preferences File\n"
         "timeout:\t0:05:00\n"
         "programs:\t\t\t\t\\\n"
         "\t\t\t\tmaze --root\t\t\t    \\n\\\n"
         "  GL: \t\t\t\tgears --root\t\t\t    \\n\\\n" +
             std::string(kAdded) + "\\\n\n\npointerHysteresis:\t10\n"},
        {"a last entry without \\n or backslash", "programs:  qix -root\nfade: False\n",
         "programs:  qix -root \\n\\\n" + std::string(kAdded) + "\nfade: False\n"},
        {"a last entry with \\n but no backslash", "programs:\t\\\n  qix -root \\n   \n",
         "programs:\t\\\n  qix -root \\n\\\n" + std::string(kAdded) + "\n"},
        {"an empty list", "programs:\nfade: False\n",
         "programs:\t\\\n" + std::string(kAdded) + "\nfade: False\n"},
        {"the last of two lists is the one in force", "programs: a \\n\nprograms: b\n",
         "programs: a \\n\nprograms: b \\n\\\n" + std::string(kAdded) + "\n"},
        {"programs: inside another value or a comment is no list",
         "text:\tsee \\\nprograms: x\n! programs: y\nprograms: orvalisx \\n\n",
         "text:\tsee \\\nprograms: x\n! programs: y\nprograms: orvalisx \\n\\\n" + std::string(kAdded) +
             "\n"},
        {"a last entry joined to the blank line after it", "programs: \\\n  qix -root\\\n\nfade: False\n",
         "programs: \\\n  qix -root \\n\\\n" + std::string(kAdded) + "\\\n\nfade: False\n"},
        {"a word without a colon is no list", "programs\n", ExpectedFromDefaults("programs\n")},
        {"orvalis as an argument is not the command", "programs: xlock -mode orvalis\n",
         "programs: xlock -mode orvalis \\n\\\n" + std::string(kAdded) + "\n"},
    };
    for (const Case& c : cases) {
        const ProgramsEdit edit = AddOrvalisToPrograms(c.user, kDefaults);
        EXPECT_EQ(edit.outcome, ProgramsOutcome::kAdded) << c.name << ": " << edit.error;
        EXPECT_EQ(edit.text, c.expected) << c.name;
        EXPECT_EQ(AddOrvalisToPrograms(edit.text, std::nullopt).outcome, ProgramsOutcome::kListed)
            << c.name << ": a second run adds nothing";
    }
}

TEST(XScreenSaverFileTest, AnOrvalisEntryInAnyFormIsListed) {
    const std::vector<std::pair<std::string_view, ProgramsOutcome>> cases = {
        {"programs: orvalis\n", ProgramsOutcome::kListed},
        {"programs:\t\\\n  maze \\n\\\n  GL:  /usr/libexec/xscreensaver/orvalis -root -delay 5 \\n\\\n\n",
         ProgramsOutcome::kListed},
        {"programs: \"Orvalis, slow\" orvalis -delay 90000 \\n\n", ProgramsOutcome::kListed},
        {"*programs: GL:orvalis --root\n", ProgramsOutcome::kListed},
        {"programs: - GL: orvalis --root \\n\n", ProgramsOutcome::kListedDisabled},
        {"programs: -orvalis \\n maze \\n\n", ProgramsOutcome::kListedDisabled},
        {"programs: - orvalis -delay 9 \\n GL: orvalis \\n\n", ProgramsOutcome::kListed},
    };
    for (const auto& [user, expected] : cases) {
        const ProgramsEdit edit = AddOrvalisToPrograms(user, kDefaults);
        EXPECT_EQ(edit.outcome, expected) << user;
        EXPECT_TRUE(edit.text.empty()) << user;
    }
}

TEST(XScreenSaverFileTest, WithoutTheDefaultsNothingIsMadeUp) {
    const ProgramsEdit unread = AddOrvalisToPrograms(std::nullopt, std::nullopt);
    EXPECT_EQ(unread.outcome, ProgramsOutcome::kError);
    EXPECT_NE(unread.error.find("defaults cannot be read"), std::string::npos) << unread.error;
    EXPECT_EQ(AddOrvalisToPrograms("lock: False\n", std::nullopt).outcome, ProgramsOutcome::kError);
    const ProgramsEdit edit = AddOrvalisToPrograms(std::nullopt, "*timeout: 0:10:00\n*programsList: x\n");
    EXPECT_EQ(edit.outcome, ProgramsOutcome::kError);
    EXPECT_NE(edit.error.find("no list of display modes"), std::string::npos) << edit.error;
}

class XScreenSaverFileOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("orvalis-xss-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        defaults = dir / "XScreenSaver";
        Write(defaults, kDefaults);
        settings = dir / ".xscreensaver";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    static void Write(const std::filesystem::path& path, std::string_view text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    int Run(std::string& message) { return AddOrvalisToXScreenSaver(settings, defaults, message); }

    std::filesystem::path dir, defaults, settings;
};

TEST_F(XScreenSaverFileOnDiskTest, CreatesThenLeavesTheFileAlone) {
    std::string message;
    ASSERT_EQ(Run(message), 0) << message;
    EXPECT_NE(message.find("Added"), std::string::npos) << message;
    const std::string first = Read(settings);
    EXPECT_EQ(first, ExpectedFromDefaults(
                         "# XScreenSaver's display modes and Orvalis (orvalis --add-to-xscreensaver)\n"));
    ASSERT_EQ(Run(message), 0) << message;
    EXPECT_NE(message.find("already"), std::string::npos) << message;
    EXPECT_EQ(Read(settings), first);
    EXPECT_FALSE(std::filesystem::exists(dir / ".xscreensaver.orvalis-new"));
}

TEST_F(XScreenSaverFileOnDiskTest, ASwitchedOffEntryIsLeftToThePerson) {
    const std::string_view text = "programs: maze \\n\\\n- GL: orvalis --root \\n\n";
    Write(settings, text);
    std::string message;
    EXPECT_EQ(Run(message), 0) << message;
    EXPECT_NE(message.find("switched off"), std::string::npos) << message;
    EXPECT_EQ(Read(settings), text);
}

TEST_F(XScreenSaverFileOnDiskTest, KeepsPermissionsAndSymbolicLinks) {
    const std::filesystem::path real = dir / "dotfiles-xscreensaver";
    Write(real, "lock: True\n");
    std::filesystem::permissions(real,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, settings);
    std::string message;
    ASSERT_EQ(Run(message), 0) << message;
    EXPECT_TRUE(std::filesystem::is_symlink(settings));
    EXPECT_EQ(Read(real), ExpectedFromDefaults("lock: True\n"));
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(XScreenSaverFileOnDiskTest, FailuresWriteNothing) {
    std::filesystem::remove(defaults);
    std::string message;
    EXPECT_EQ(Run(message), 1);
    EXPECT_NE(message.find(defaults.string()), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(settings));
    // A settings file that exists but cannot be read is never taken for an absent one.
    std::filesystem::create_directory(settings);
    Write(defaults, kDefaults);
    EXPECT_EQ(Run(message), 1);
    EXPECT_NE(message.find("is not a file"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::is_directory(settings));
}

}  // namespace
}  // namespace orvalis
