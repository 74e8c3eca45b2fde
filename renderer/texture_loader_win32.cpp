// The particle texture: the bitmap file mapped read-only, its pixels converted to 24 bits by the system
// into a DIB section, repacked as RGB rows and uploaded as one GL texture.
#include "renderer/texture_loader_win32.h"

#include <cstdio>
#include <string>

#include "renderer/dib_message_win32.h"
#include "renderer/dib_reader.h"

namespace orvalis {

GLuint particleTexture = 0;

namespace {

constexpr char kTexturePath[] = "C:\\Tessalume.bmp";
constexpr wchar_t kTextureFileName[] = L"Tessalume.bmp";

DibMessageReporter dibMessageReporter = ShowDibMessageBox;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class MappingHandle {
public:
    explicit MappingHandle(HANDLE handle) : handle_(handle) {}
    ~MappingHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    MappingHandle(const MappingHandle&) = delete;
    MappingHandle& operator=(const MappingHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class MappedView {
public:
    explicit MappedView(const void* view) : view_(view) {}
    ~MappedView() {
        if (view_ != nullptr) UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    const uint8_t* get() const { return static_cast<const uint8_t*>(view_); }

private:
    const void* view_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC dc) : dc_(dc) {}
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class GdiBitmap {
public:
    explicit GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~GdiBitmap() {
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
    }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

// Puts the context's original bitmap back, so that the section is no longer selected when it is deleted.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

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

// Every step of the reader; the holders release what was acquired on whichever path returns.
RgbImagePtr DecodeDibFile(const char* path, DibFailure& failure) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        failure = DibFailure::OpenFailed;
        return nullptr;
    }
    // NOTE: mapping a zero-length file fails, so an empty file is an open failure.
    MappingHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping.get() == nullptr) {
        failure = DibFailure::OpenFailed;
        return nullptr;
    }
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    LARGE_INTEGER fileSize{};
    if (view.get() == nullptr || !GetFileSizeEx(file.get(), &fileSize)) {
        failure = DibFailure::OpenFailed;
        return nullptr;
    }
    const std::span<const uint8_t> bytes(view.get(), static_cast<size_t>(fileSize.QuadPart));

    DibParseResult parsed = ParseDib(bytes);
    if (parsed.failure != DibFailure::None) {
        failure = parsed.failure;
        return nullptr;
    }
    const DibLayout& layout = parsed.layout;

    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (dc.get() == nullptr) {
        failure = DibFailure::OutOfMemory;
        return nullptr;
    }
    // The section keeps the file's row order (top-down when the height is negative); the repack below
    // turns either order into bottom-row-first RGB rows.
    const DibHeader target = DibSection24Header(layout.header);
    BITMAPINFO targetInfo{};
    targetInfo.bmiHeader = ToBitmapInfoHeader(target);
    void* sectionBits = nullptr;
    GdiBitmap section(CreateDIBSection(dc.get(), &targetInfo, DIB_RGB_COLORS, &sectionBits, nullptr, 0));
    if (section.get() == nullptr || sectionBits == nullptr) {
        failure = DibFailure::OutOfMemory;
        return nullptr;
    }
    Selection selection(dc.get(), section.get());
    if (!selection.ok()) {
        failure = DibFailure::OutOfMemory;
        return nullptr;
    }

    // ParseDib has checked that the bits the working header describes lie inside the mapping.
    const auto* workingInfo = reinterpret_cast<const BITMAPINFO*>(layout.info.data());
    const UINT rows = static_cast<UINT>(target.height < 0 ? -target.height : target.height);
    if (SetDIBits(dc.get(), section.get(), 0, rows, bytes.data() + layout.bitsOffset, workingInfo,
                  DIB_RGB_COLORS) == 0) {
        failure = DibFailure::ConversionError;
        return nullptr;
    }
    GdiFlush();

    RgbImagePtr image =
        RepackSection24(std::span<const uint8_t>(static_cast<const uint8_t*>(sectionBits), target.sizeImage),
                        target.width, target.height);
    if (!image) failure = DibFailure::OutOfMemory;
    return image;
}

bool CanOpenForReading(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

std::string WideToAnsi(const std::wstring& text, bool& lossy) {
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0,
                                           nullptr, &usedDefault);
    if (length <= 0) {
        lossy = true;
        return {};
    }
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, result.data(), length, nullptr,
                        &usedDefault);
    result.resize(static_cast<size_t>(length) - 1);
    lossy = usedDefault != FALSE;
    return result;
}

// The host writes the texture into the user's temporary folder when the root of C: is not writable.
// The reader takes ANSI paths, so a temporary folder the code page cannot spell is reached by its short name.
std::string TempTexturePath() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring path = std::wstring(folder, length) + kTextureFileName;
    bool lossy = false;
    std::string ansi = WideToAnsi(path, lossy);
    if (!lossy) return ansi;
    wchar_t shortFolder[MAX_PATH + 1];
    const DWORD shortLength = GetShortPathNameW(folder, shortFolder, MAX_PATH + 1);
    if (shortLength == 0 || shortLength > MAX_PATH) return {};
    ansi = WideToAnsi(std::wstring(shortFolder, shortLength) + kTextureFileName, lossy);
    return lossy ? std::string() : ansi;
}

}  // namespace

void ShowDibMessageBox(const char* text) {
    MessageBoxA(GetFocus(), text, "Error", MB_OK);
}

DibMessageReporter SetDibMessageReporter(DibMessageReporter reporter) {
    const DibMessageReporter previous = dibMessageReporter;
    dibMessageReporter = reporter != nullptr ? reporter : ShowDibMessageBox;
    return previous;
}

RgbImage* LoadDibImage(const char* path) {
    DibFailure failure = DibFailure::None;
    RgbImagePtr image = DecodeDibFile(path, failure);
    if (!image) dibMessageReporter(DibFailureMessage(failure, path).c_str());
    return image.release();
}

RgbImage* ReadBitmapFile(const char* path) {
    if (path == nullptr) return nullptr;
    if (!CanOpenForReading(path)) return nullptr;
    return LoadDibImage(path);
}

bool LoadParticleTexture() {
    RgbImage* image = ReadBitmapFile(kTexturePath);
    if (image == nullptr && !CanOpenForReading(kTexturePath)) {
        const std::string fallback = TempTexturePath();
        if (!fallback.empty()) image = ReadBitmapFile(fallback.c_str());
    }
    if (image == nullptr) return false;

    glGenTextures(1, &particleTexture);
    glBindTexture(GL_TEXTURE_2D, particleTexture);
    // The image's rows are tightly packed (width x 3 bytes); GL's default of 4-byte rows would read past the
    // buffer and shear every row of an image whose width is not a multiple of 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    FreeRgbImage(image);
    return true;
}

}  // namespace orvalis
