#include "host/saver/texture_file_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    // A cut-off picture would be worse than none: the renderer would show garbage or an error box.
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

std::wstring WriteTextureFileTo(const std::vector<uint8_t>& bytes, const std::wstring& primary,
                                const std::wstring& fallbackFolder) {
    if (WriteWholeFile(primary, bytes)) return primary;
    if (fallbackFolder.empty()) return {};
    std::wstring fallback = fallbackFolder;
    if (fallback.back() != L'\\') fallback += L'\\';
    fallback += kTextureFileName;
    return WriteWholeFile(fallback, bytes) ? fallback : std::wstring();
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return (length == 0 || length > MAX_PATH) ? std::wstring() : std::wstring(folder, length);
}

std::wstring WriteTextureFile(const std::vector<uint8_t>& bytes) {
    return WriteTextureFileTo(bytes, kTextureFilePath, TempFolder());
}

}  // namespace orvalis
