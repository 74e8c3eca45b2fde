// The saver's user settings: the in-memory record, the settings file's names and the loading rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/contract.h"

namespace orvalis {

struct SaverSettingsRecord {
    int16_t bgmKind = 0;       // 0 no music, 1 audio CD, 2 music file; other values play nothing
    int16_t bgmRepeat = 0;     // CD track to repeat, counted from 1; 0 plays the whole disc
    std::string bgmFile;       // full path of the MP3 or WAV file, empty when none
    std::string browseFolder;  // where the file chooser of the settings dialog opens
};

// The host's settings, filled once per process by LoadSettings.
extern SaverSettingsRecord SaverSettings;

constexpr int16_t kBgmNone = 0;
constexpr int16_t kBgmCd = 1;
constexpr int16_t kBgmFile = 2;

// The settings file (kSettingsFileName) lies beside the host. The key names are stored as code page 932 bytes
// so that files written by earlier versions read back whatever the system code page is.
constexpr const char* kSettingsSection = "Section";
constexpr const char* kKeyBgmKind = "BGM\x8B\xE6\x95\xAA";        // BGM区分
constexpr const char* kKeyBgmRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";  // BGMﾘﾋﾟｰﾄ
constexpr const char* kKeyBgmFile = "BGM\xCC\xA7\xB2\xD9";        // BGMﾌｧｲﾙ
// The longest value the settings file gives back whole; a longer one is read as its first bytes.
constexpr size_t kMaxIniValueBytes = 255;

// Whether a drive root ("C:\\", or "" for the root of the current folder) is mapped to another computer.
using RemoteRootQuery = std::function<bool(const std::string& root)>;

// Whether opening `path` would contact another computer: a server name (\\server\..., //server/...), a
// device path that names no drive letter (\\?\UNC\server\..., and any other that cannot be told apart), or a
// path on a drive, or relative to a folder, whose root the query calls remote. Looks at the text only.
bool NamesOtherComputer(std::string_view path, const RemoteRootQuery& isRemoteRoot);

// What LoadSettings needs from the platform: the profile reader, the file test, and what tells a settings
// file every user shares (one in the system or the Windows folder) and the drives of other computers.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    virtual std::string ReadIniString(const std::string& section, const std::string& key,
                                      const std::string& file) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool IsSharedFolder(const std::string& folder) = 0;
    virtual bool IsRemoteRoot(const std::string& root) = 0;
};

// Reads a setting number: blanks around it allowed, the fraction rounded down (2.7 -> 2, -0.5 -> -1).
// Text that is not a number, or whose whole part lies outside -32768..32767, leaves `field` unchanged
// and gives false.
bool ReadSettingNumber(std::string_view text, int16_t& field);

// The folder part of a path: everything up to the last ':' or '\', without a trailing backslash
// ("C:\Music\a.mp3" -> "C:\Music", "C:\a.mp3" -> "C:", "D:b.wav" -> "D:", "a.mp3" -> "").
std::string FolderOf(std::string_view path);

// The folder of the host executable from its full path: no trailing backslash except for a drive
// root ("C:\Saver\Orvalis.scr" -> "C:\Saver", "C:\Orvalis.scr" -> "C:\").
std::string HostFolderOf(std::string_view modulePath);

// A file name in a folder, with exactly one backslash between them even for a drive root.
std::string PathInFolder(std::string_view folder, std::string_view name);

// Fills `settings` from the settings file in `hostFolder` and enforces the invariants: bgmFile is
// empty or names a readable file, bgmKind is 2 only with a bgmFile, browseFolder is the host folder
// or the music file's folder. In a shared folder a music file on another computer counts as missing and
// is never tested: another user may have written it there, and opening it signs in with this user's name.
void LoadSettingsFrom(SettingsSource& source, const std::string& hostFolder, SaverSettingsRecord& settings);

}  // namespace orvalis
