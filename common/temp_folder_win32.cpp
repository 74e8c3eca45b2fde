#include "common/temp_folder_win32.h"

#include <windows.h>

namespace orvalis {

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return (length == 0 || length > MAX_PATH) ? std::wstring() : std::wstring(folder, length);
}

}  // namespace orvalis
