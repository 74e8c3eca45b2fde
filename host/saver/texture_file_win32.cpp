#include "host/saver/texture_file_win32.h"

#include "common/contract.h"
#include "common/handles_win32.h"
#include "common/temp_folder_win32.h"

namespace orvalis {
namespace {

std::wstring WriteFirstOf(const std::vector<uint8_t>& bytes, const std::vector<std::wstring>& locations) {
    for (const std::wstring& path : locations) {
        if (WriteWholeFile(path, bytes)) return path;
    }
    return {};
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    bool ok = false;
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size();
    }
    // A cut-off picture would be worse than none: the renderer would show garbage or an error box.
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

std::wstring WriteTextureFileTo(const std::vector<uint8_t>& bytes, const std::wstring& primary,
                                const std::wstring& fallbackFolder) {
    std::vector<std::wstring> locations = TextureLocations(fallbackFolder);
    locations.front() = primary;
    return WriteFirstOf(bytes, locations);
}

std::wstring WriteTextureFile(const std::vector<uint8_t>& bytes) {
    return WriteFirstOf(bytes, TextureLocations(TempFolder()));
}

bool IsTextureCopyInTempFolder(const std::wstring& path) {
    return !path.empty() && path != TextureLocations({}).front();
}

}  // namespace orvalis
