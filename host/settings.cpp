#include "host/settings.h"

#include <cmath>

#include "host/command_line.h"

namespace orvalis {

SaverSettingsRecord SaverSettings;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool ReadSettingNumber(std::string_view text, int16_t& field) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // The trimmed text must be one number and nothing else: [sign] digits [. digits] [E [sign] digits].
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != text.size()) return false;
    double value = 0.0;
    if (!ReadLeadingNumber(text, value)) return false;
    const double whole = std::floor(value);
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
    if (!settings.bgmFile.empty() && !source.FileExists(settings.bgmFile)) settings.bgmFile.clear();
    if (settings.bgmFile.empty() && settings.bgmKind == kBgmFile) settings.bgmKind = 0;
    settings.browseFolder = settings.bgmFile.empty() ? hostFolder : FolderOf(settings.bgmFile);
}

}  // namespace orvalis
