// Writes the ring picture the renderer reads at start-up, at the first of the TextureLocations that takes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

// Replaces `path` with `bytes`; false (and no partial file left behind) when it cannot be written.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

// Writes `bytes` to `primary` in place of the root of drive C, or, when that fails, to the texture's name in
// `fallbackFolder`. Returns the path written, empty when neither could be.
std::wstring WriteTextureFileTo(const std::vector<uint8_t>& bytes, const std::wstring& primary,
                                const std::wstring& fallbackFolder);

// Saves the ring picture at the root of drive C, or in the temporary folder when the root is read-only.
// Returns the path written, empty when neither could be.
std::wstring WriteTextureFile(const std::vector<uint8_t>& bytes);

// Whether a path WriteTextureFile gave is the copy in the temporary folder rather than the one at the root.
bool IsTextureCopyInTempFolder(const std::wstring& path);

}  // namespace orvalis
