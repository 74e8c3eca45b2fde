// host_resources PROGRAM: prints what a program carries, one "key=value" per line in UTF-8: the version
// strings of its Japanese block (041104b0) and its translation, how many icons it has, the size of
// bitmap 101 (the version lines only for a program that has a version block), whether it has a manifest,
// the systems its manifest names (supportedOS ids, in order), and string 1 with the language of the block
// that holds it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

std::string Narrow(const wchar_t* text, UINT length) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

// The Id of every supportedOS element of manifest 1, comma-separated in the manifest's order.
std::string SupportedSystems(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (!found) return {};
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (!bytes) return {};
    const std::string_view text(bytes, SizeofResource(module, found));
    constexpr std::string_view kOpen = "<supportedOS Id=\"";
    std::string ids;
    for (size_t at = text.find(kOpen); at != std::string_view::npos; at = text.find(kOpen, at)) {
        at += kOpen.size();
        const size_t end = text.find('"', at);
        if (end == std::string_view::npos) break;
        if (!ids.empty()) ids += ',';
        ids += text.substr(at, end - at);
    }
    return ids;
}

// The version strings, when the program has a version block.
void PrintVersionBlock(const wchar_t* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        const WORD* pair = static_cast<const WORD*>(value);
        std::printf("Translation=%04x,%u\n", pair[0], pair[1]);
    }
    for (const wchar_t* name : {L"ProductName", L"FileVersion", L"ProductVersion", L"OriginalFilename"}) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
        if (VerQueryValueW(block.data(), query.c_str(), &value, &length)) {
            std::printf("%s=%s\n", Narrow(name, static_cast<UINT>(wcslen(name))).c_str(),
                        Narrow(static_cast<const wchar_t*>(value), length).c_str());
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    PrintVersionBlock(argv[1]);
    HMODULE module =
        LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return 1;
    int icons = 0;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(14), CountName, reinterpret_cast<LONG_PTR>(&icons));
    std::printf("icons=%d\n", icons);
    int manifests = 0;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(24), CountName, reinterpret_cast<LONG_PTR>(&manifests));
    std::printf("manifests=%d\n", manifests);
    std::printf("supportedOS=%s\n", SupportedSystems(module).c_str());
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(2))) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
        if (header)
            std::printf("bitmap101=%ldx%ldx%u\n", header->biWidth, header->biHeight, header->biBitCount);
    }
    // Strings come in blocks of 16: string 1 is the second entry of block 1, each entry a length and its
    // text.
    if (HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(1),
                                      MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT))) {
        const auto* entry = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
        if (entry) {
            entry += 1 + entry[0];
            std::printf("string1.0411=%s\n", Narrow(entry + 1, entry[0]).c_str());
        }
    }
    wchar_t loaded[64] = {};
    const int loadedLength = LoadStringW(module, 1, loaded, 64);
    if (loadedLength > 0)
        std::printf("string1=%s\n", Narrow(loaded, static_cast<UINT>(loadedLength)).c_str());
    FreeLibrary(module);
    return 0;
}
