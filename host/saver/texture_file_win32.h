// Writes the ring picture the renderer reads at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

// Where the renderer looks first.
constexpr const wchar_t* kTextureFilePath = L"C:\\Tessalume.bmp";
// Its name in the user's temporary folder, used when the root of drive C: refuses new files.
constexpr const wchar_t* kTextureFileName = L"Tessalume.bmp";

// Replaces `path` with `bytes`; false (and no partial file left behind) when it cannot be written.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

// Writes `bytes` to `primary`, or, when that fails, to `fallbackFolder` + kTextureFileName. Returns the
// path written, empty when neither could be.
std::wstring WriteTextureFileTo(const std::vector<uint8_t>& bytes, const std::wstring& primary,
                                const std::wstring& fallbackFolder);

// The user's temporary folder (GetTempPathW), with its trailing backslash.
std::wstring TempFolder();

// Saves the ring picture as "C:\Tessalume.bmp", or in the temporary folder when the root is read-only.
std::wstring WriteTextureFile(const std::vector<uint8_t>& bytes);

}  // namespace orvalis
