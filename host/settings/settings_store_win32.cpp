#include "host/settings/settings_store_win32.h"

#include <cstring>

#include "common/handles_win32.h"
#include "common/text_win32.h"

namespace orvalis {

std::string ReadIniString(const std::string& section, const std::string& key, const std::string& file) {
    char buffer[kMaxIniValueBytes + 1] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str());
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file) {
    char sectionName[128] = {};
    char keyName[128] = {};
    std::strncpy(sectionName, section.c_str(), sizeof sectionName - 1);
    std::strncpy(keyName, key.c_str(), sizeof keyName - 1);
    return WritePrivateProfileStringA(sectionName, keyName, value.c_str(), file.c_str()) != FALSE;
}

bool FileExists(const std::string& path) {
    std::string name = path;
    if (!name.empty() && name.back() == '\\') name.pop_back();
    if (name.empty()) return false;
    // NOTE: CreateFile opens a folder only with FILE_FLAG_BACKUP_SEMANTICS, so folders fail here as they
    // should.
    const bool opened = FileHandle(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
                            .valid();
    SetLastError(0);
    return opened;
}

std::string HostFolder() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return HostFolderOf(std::string(path, length < sizeof path ? length : 0));
}

bool IsSharedFolder(const std::string& folder) {
    const std::wstring name = WideFromAnsi(folder);
    wchar_t system[MAX_PATH] = {};
    wchar_t windows[MAX_PATH] = {};
    const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
    const UINT windowsLength = GetWindowsDirectoryW(windows, MAX_PATH);
    // File names compare as the file system compares them: ordinal, case ignored.
    const auto same = [&name](const wchar_t* other, UINT length) {
        return length > 0 && length < MAX_PATH &&
               CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), other,
                                    static_cast<int>(length), TRUE) == CSTR_EQUAL;
    };
    return same(system, systemLength) || same(windows, windowsLength);
}

bool IsRemoteRoot(const std::string& root) {
    return GetDriveTypeA(root.empty() ? nullptr : root.c_str()) == DRIVE_REMOTE;
}

bool MusicPathRefused(const std::string& path) {
    return IsSharedFolder(HostFolder()) && NamesOtherComputer(path, IsRemoteRoot);
}

std::string SettingsFilePath() {
    return PathInFolder(HostFolder(), kSettingsFileName);
}

void LoadSettings() {
    ProfileSettingsSource source;
    LoadSettingsFrom(source, HostFolder(), SaverSettings);
}

std::string ProfileSettingsSource::ReadIniString(const std::string& section, const std::string& key,
                                                 const std::string& file) {
    return orvalis::ReadIniString(section, key, file);
}

bool ProfileSettingsSource::FileExists(const std::string& path) {
    return orvalis::FileExists(path);
}

bool ProfileSettingsSource::IsSharedFolder(const std::string& folder) {
    return orvalis::IsSharedFolder(folder);
}

bool ProfileSettingsSource::IsRemoteRoot(const std::string& root) {
    return orvalis::IsRemoteRoot(root);
}

}  // namespace orvalis
