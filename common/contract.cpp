#include "common/contract.h"

namespace orvalis {

std::vector<std::wstring> TextureLocations(const std::wstring& temporaryFolder) {
    // The name is ASCII: each byte is its own UTF-16 unit.
    const std::wstring name(kTextureFileName, kTextureFileName + sizeof(kTextureFileName) - 1);
    std::vector<std::wstring> locations{L"C:\\" + name};
    if (!temporaryFolder.empty()) {
        std::wstring path = temporaryFolder;
        if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
        locations.push_back(path + name);
    }
    return locations;
}

}  // namespace orvalis
