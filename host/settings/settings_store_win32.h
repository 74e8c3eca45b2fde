// The settings file through the platform's ANSI profile functions, and the host's own folder.
#pragma once

#include <string>

#include "host/settings/settings.h"

namespace orvalis {

// The value of `key`, cut to kMaxIniValueBytes; empty when the key, the section or the file is missing.
std::string ReadIniString(const std::string& section, const std::string& key, const std::string& file);

// Stores `value` under `key`, creating the file and the section when needed. Section and key names
// longer than 127 characters are cut. False when the platform refused the write (a read-only file, a
// folder that takes no new files).
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);

// Whether the file can be opened for reading; a folder, an empty path or any error gives false.
bool FileExists(const std::string& path);

// The folder of the running executable: no trailing backslash except for a drive root.
std::string HostFolder();

// The settings file beside the host.
std::string SettingsFilePath();

// Whether `folder` is the system folder or the Windows folder, where every user shares one settings file.
bool IsSharedFolder(const std::string& folder);

// Whether a drive root ("" for the current folder's) is a drive of another computer.
bool IsRemoteRoot(const std::string& root);

// Whether the host's settings may not keep `path`: the settings file is shared and the path names another
// computer. Looks at the text and the drive types only.
bool MusicPathRefused(const std::string& path);

// Fills SaverSettings from the settings file beside the host.
void LoadSettings();

// The profile functions and the file test behind the interface LoadSettingsFrom uses.
class ProfileSettingsSource final : public SettingsSource {
public:
    std::string ReadIniString(const std::string& section, const std::string& key,
                              const std::string& file) override;
    bool FileExists(const std::string& path) override;
    bool IsSharedFolder(const std::string& folder) override;
    bool IsRemoteRoot(const std::string& root) override;
};

}  // namespace orvalis
