#include "host/settings/settings.h"

#include <cctype>
#include <cmath>

#include "host/settings/numeric_text.h"

namespace orvalis {

SaverSettingsRecord SaverSettings;

bool ReadSettingNumber(std::string_view text, int16_t& field) {
    const std::optional<double> value = ReadNumericText(text);
    if (!value) return false;
    const double whole = std::floor(*value);
    if (whole < -32768.0 || whole > 32767.0) return false;
    field = static_cast<int16_t>(whole);
    return true;
}

std::string FolderOf(std::string_view path) {
    const size_t last = path.find_last_of(":\\");
    if (last == std::string_view::npos) return {};
    std::string folder(path.substr(0, last + 1));
    if (folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string HostFolderOf(std::string_view modulePath) {
    std::string folder = FolderOf(modulePath);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string PathInFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    return path;
}

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool StartsWithDrive(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return false;
    const char letter = static_cast<char>(path[0] | 0x20);
    return letter >= 'a' && letter <= 'z';
}

std::string DriveRoot(char letter) {
    return {static_cast<char>(std::toupper(static_cast<unsigned char>(letter))), ':', '\\'};
}

}  // namespace

bool NamesOtherComputer(std::string_view path, const RemoteRootQuery& isRemoteRoot) {
    if (path.empty()) return false;
    if (StartsWithDrive(path)) return isRemoteRoot(DriveRoot(path[0]));
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return isRemoteRoot("");
    // Two separators: a server's name follows, unless this is a device path (\\?\ or \\.\).
    const bool devicePath = path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
    if (!devicePath) return true;
    const std::string_view device = path.substr(4);
    return !StartsWithDrive(device) || isRemoteRoot(DriveRoot(device[0]));
}

void LoadSettingsFrom(SettingsSource& source, const std::string& hostFolder, SaverSettingsRecord& settings) {
    const std::string file = PathInFolder(hostFolder, kSettingsFileName);
    std::string text = source.ReadIniString(kSettingsSection, kKeyBgmKind, file);
    if (text.empty()) {
        settings.bgmKind = 0;
    } else {
        ReadSettingNumber(text, settings.bgmKind);
    }
    text = source.ReadIniString(kSettingsSection, kKeyBgmRepeat, file);
    if (text.empty()) {
        settings.bgmRepeat = 0;
    } else {
        ReadSettingNumber(text, settings.bgmRepeat);
    }
    settings.bgmFile = source.ReadIniString(kSettingsSection, kKeyBgmFile, file);
    const bool shared = source.IsSharedFolder(hostFolder);
    if (!settings.bgmFile.empty() && shared &&
        NamesOtherComputer(settings.bgmFile,
                           [&source](const std::string& root) { return source.IsRemoteRoot(root); }))
        settings.bgmFile.clear();
    if (!settings.bgmFile.empty() && !source.FileExists(settings.bgmFile)) settings.bgmFile.clear();
    if (settings.bgmFile.empty() && settings.bgmKind == kBgmFile) settings.bgmKind = 0;
    settings.browseFolder = settings.bgmFile.empty() ? hostFolder : FolderOf(settings.bgmFile);
}

}  // namespace orvalis
