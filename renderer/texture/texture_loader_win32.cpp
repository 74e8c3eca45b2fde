// The particle texture: the bitmap file mapped read-only, its pixels converted to 24 bits by the system
// into a DIB section, repacked as RGB rows and uploaded as one GL texture.
#include "renderer/texture/texture_loader_win32.h"

#include <cstdio>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/contract.h"
#include "common/handles_win32.h"
#include "common/temp_folder_win32.h"
#include "common/text_win32.h"
#include "renderer/scene/render_scene.h"
#include "renderer/texture/dib_message_win32.h"
#include "renderer/texture/dib_reader.h"

namespace orvalis {

GLuint particleTexture = 0;

namespace {

BITMAPINFOHEADER ToBitmapInfoHeader(const DibHeader& h) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = h.width;
    info.biHeight = h.height;
    info.biPlanes = h.planes;
    info.biBitCount = h.bitCount;
    info.biCompression = h.compression;
    info.biSizeImage = h.sizeImage;
    return info;
}

// A bitmap file mapped read-only; `bytes` is empty when it could not be opened or mapped.
struct MappedFile {
    FileHandle file;
    KernelHandle mapping;
    MappedView view;
    std::span<const uint8_t> bytes;
};

MappedFile MapFile(const char* path) {
    MappedFile mapped;
    mapped.file.reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!mapped.file) return mapped;
    // NOTE: mapping a zero-length file fails, so an empty file is an open failure.
    mapped.mapping.reset(CreateFileMappingA(mapped.file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapped.mapping) return mapped;
    mapped.view.reset(MapViewOfFile(mapped.mapping.get(), FILE_MAP_READ, 0, 0, 0));
    LARGE_INTEGER fileSize{};
    if (!mapped.view || !GetFileSizeEx(mapped.file.get(), &fileSize)) return mapped;
    mapped.bytes = std::span<const uint8_t>(static_cast<const uint8_t*>(mapped.view.get()),
                                            static_cast<size_t>(fileSize.QuadPart));
    return mapped;
}

DibDecodeResult Failed(DibFailure failure) {
    DibDecodeResult result;
    result.failure = failure;
    return result;
}

// The system's conversion of the file's pixels into a 24-bit DIB section, repacked as RGB rows. The section
// keeps the file's row order (top-down when the height is negative); the repack turns either order into
// bottom-row-first rows.
DibDecodeResult ConvertWithSystem(const DibLayout& layout, std::span<const uint8_t> bytes) {
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return Failed(DibFailure::OutOfMemory);
    const DibHeader target = DibSection24Header(layout.header);
    BITMAPINFO targetInfo{};
    targetInfo.bmiHeader = ToBitmapInfoHeader(target);
    void* sectionBits = nullptr;
    GdiBitmap section(CreateDIBSection(dc.get(), &targetInfo, DIB_RGB_COLORS, &sectionBits, nullptr, 0));
    if (!section || sectionBits == nullptr) return Failed(DibFailure::OutOfMemory);
    // Declared after the section, so that the selection ends before the section is deleted.
    const Selection selection(dc.get(), section.get());
    if (!selection.ok()) return Failed(DibFailure::OutOfMemory);

    // ParseDib has checked that the bits the working header describes lie inside the mapping.
    const auto* workingInfo = reinterpret_cast<const BITMAPINFO*>(layout.info.data());
    const UINT rows = static_cast<UINT>(target.height < 0 ? -target.height : target.height);
    if (SetDIBits(dc.get(), section.get(), 0, rows, bytes.data() + layout.bitsOffset, workingInfo,
                  DIB_RGB_COLORS) == 0) {
        return Failed(DibFailure::ConversionError);
    }
    GdiFlush();
    DibDecodeResult result;
    result.image =
        RepackSection24(std::span<const uint8_t>(static_cast<const uint8_t*>(sectionBits), target.sizeImage),
                        target.width, target.height);
    if (!result.image) result.failure = DibFailure::OutOfMemory;
    return result;
}

// Every step of the reader; the holders release what was acquired on whichever path returns.
DibDecodeResult DecodeDibFile(const char* path) {
    const MappedFile mapped = MapFile(path);
    if (mapped.bytes.empty()) return Failed(DibFailure::OpenFailed);
    const DibParseResult parsed = ParseDib(mapped.bytes);
    if (parsed.failure != DibFailure::None) return Failed(parsed.failure);
    return ConvertWithSystem(parsed.layout, mapped.bytes);
}

bool CanOpenForReading(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

std::wstring ShortPathOf(const std::wstring& folder) {
    wchar_t shortFolder[MAX_PATH + 1];
    const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(shortFolder, length);
}

// The texture's locations in the order the host writes them, as the ANSI paths the reader takes. A temporary
// folder the code page cannot spell is reached by its short name; a location neither can spell is left out.
std::vector<std::string> TexturePaths() {
    const std::wstring folder = TempFolder();
    std::vector<std::string> paths;
    for (const std::wstring& location : TextureLocations(folder)) {
        std::string ansi;
        if (AnsiFromWide(location, ansi)) {
            paths.push_back(std::move(ansi));
            continue;
        }
        // Only the temporary folder's location can hold characters outside the code page.
        const std::wstring shortFolder = folder.empty() ? std::wstring() : ShortPathOf(folder);
        if (!shortFolder.empty() && AnsiFromWide(TextureLocations(shortFolder).back(), ansi)) {
            paths.push_back(std::move(ansi));
        }
    }
    return paths;
}

}  // namespace

RgbImage* LoadDibImage(const char* path) {
    DibDecodeResult decoded = DecodeDibFile(path);
    if (!decoded.image) ReportDibMessage(DibFailureMessage(decoded.failure, path).c_str());
    return decoded.image.release();
}

RgbImage* ReadBitmapFile(const char* path) {
    if (path == nullptr) return nullptr;
    if (!CanOpenForReading(path)) return nullptr;
    return LoadDibImage(path);
}

bool LoadParticleTexture() {
    RgbImagePtr image;
    for (const std::string& path : TexturePaths()) {
        image.reset(ReadBitmapFile(path.c_str()));
        // A file that is there but cannot be read has had its message and ends the search: the next
        // location only stands in for a file that is absent.
        if (image || CanOpenForReading(path.c_str())) break;
    }
    if (!image) return false;
    return UploadParticleTexture(*image, particleTexture);
}

}  // namespace orvalis
