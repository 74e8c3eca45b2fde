#include "renderer/image_write.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvalis {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

// A PNG chunk: length, type, data, and the CRC over type and data.
void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], std::span<const uint8_t> data) {
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(std::span<const uint8_t>(out).subspan(typeAt)));
}

bool SizeFits(int width, int height, std::span<const uint8_t> rgb) {
    return width > 0 && height > 0 &&
           rgb.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != suffix[i]) return false;
    }
    return true;
}

}  // namespace

ImageFormat ImageFormatForPath(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && EndsWithNoCase(name, ".png")) return ImageFormat::kPng;
    if (name.size() > 4 && EndsWithNoCase(name, ".ppm")) return ImageFormat::kPpm;
    return ImageFormat::kUnknown;
}

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    crc = ~crc;
    for (uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(std::span<const uint8_t> bytes, uint32_t adler) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = adler & 0xFFFFu;
    uint32_t b = adler >> 16;
    for (uint8_t byte : bytes) {
        a = (a + byte) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> ZlibStored(std::span<const uint8_t> bytes) {
    constexpr size_t kMaxBlock = 65535;
    std::vector<uint8_t> out;
    out.reserve(bytes.size() + bytes.size() / kMaxBlock * 5 + 11);
    out.push_back(0x78);  // deflate, 32 KiB window
    out.push_back(0x01);  // no dictionary, fastest level; 0x7801 is a multiple of 31
    size_t offset = 0;
    do {
        const size_t length = std::min(kMaxBlock, bytes.size() - offset);
        const bool last = offset + length == bytes.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), bytes.begin() + static_cast<ptrdiff_t>(offset),
                   bytes.begin() + static_cast<ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < bytes.size());
    PutBigEndian32(out, Adler32(bytes));
    return out;
}

std::vector<uint8_t> EncodePpm(int width, int height, std::span<const uint8_t> rgb) {
    if (!SizeFits(width, height, rgb)) return {};
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), rgb.begin(), rgb.end());
    return out;
}

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb) {
    if (!SizeFits(width, height, rgb)) return {};
    static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> out(std::begin(kSignature), std::end(kSignature));

    std::vector<uint8_t> header;
    PutBigEndian32(header, static_cast<uint32_t>(width));
    PutBigEndian32(header, static_cast<uint32_t>(height));
    header.insert(header.end(),
                  {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, adaptive filters, no interlace
    PutChunk(out, "IHDR", header);

    // Each row starts with its filter type: 0, none.
    const size_t stride = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = rgb.subspan(static_cast<size_t>(y) * stride, stride);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    PutChunk(out, "IDAT", ZlibStored(raw));
    PutChunk(out, "IEND", {});
    return out;
}

bool WriteImageFile(const std::string& path, int width, int height, std::span<const uint8_t> rgb,
                    std::string& error) {
    std::vector<uint8_t> bytes;
    switch (ImageFormatForPath(path)) {
        case ImageFormat::kPng:
            bytes = EncodePng(width, height, rgb);
            break;
        case ImageFormat::kPpm:
            bytes = EncodePpm(width, height, rgb);
            break;
        case ImageFormat::kUnknown:
            error = path + ": not a .png or .ppm file name";
            return false;
    }
    if (bytes.empty()) {
        error =
            path + ": no picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = path + ": could not write the picture";
        return false;
    }
    return true;
}

}  // namespace orvalis
