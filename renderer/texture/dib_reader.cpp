#include "renderer/texture/dib_reader.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/little_endian.h"

namespace orvalis {

namespace {

void WriteInfoHeader(const DibHeader& h, uint8_t* out) {
    StoreLe32(out + 0, h.size);
    StoreLe32(out + 4, static_cast<uint32_t>(h.width));
    StoreLe32(out + 8, static_cast<uint32_t>(h.height));
    StoreLe16(out + 12, h.planes);
    StoreLe16(out + 14, h.bitCount);
    StoreLe32(out + 16, h.compression);
    StoreLe32(out + 20, h.sizeImage);
    StoreLe32(out + 24, static_cast<uint32_t>(h.xPelsPerMeter));
    StoreLe32(out + 28, static_cast<uint32_t>(h.yPelsPerMeter));
    StoreLe32(out + 32, h.clrUsed);
    StoreLe32(out + 36, h.clrImportant);
}

uint32_t ColorCountForBits(uint32_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

// The bit depths and encodings a 24-bit conversion is defined for. Anything else (JPEG or PNG payloads,
// unknown encodings) describes bits whose extent cannot be bounded, so it is refused up front.
bool IsConvertibleFormat(uint32_t compression, uint32_t bitCount, int32_t height) {
    switch (compression) {
        case kBiRgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
                   bitCount == 32;
        case kBiRle8:
            return bitCount == 8 && height > 0;
        case kBiRle4:
            return bitCount == 4 && height > 0;
        case kBiBitfields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

DibParseResult Fail(DibFailure failure) {
    DibParseResult result;
    result.failure = failure;
    return result;
}

int64_t RowCount(const DibHeader& h) {
    return h.height < 0 ? -static_cast<int64_t>(h.height) : h.height;
}

// A 12- or 40-byte information header in the 40-byte form. A core header has no compression, image size or
// resolution fields; its colour counts are the number of entries its table holds.
DibHeader ReadHeader(std::span<const uint8_t> header, uint32_t colorCount) {
    DibHeader h;
    if (header.size() == kDibCoreHeaderSize) {
        h.width = ReadLe16(header.data() + 4);
        h.height = ReadLe16(header.data() + 6);
        h.planes = ReadLe16(header.data() + 8);
        h.bitCount = ReadLe16(header.data() + 10);
        h.clrUsed = colorCount;
        h.clrImportant = colorCount;
    } else {
        h.width = static_cast<int32_t>(ReadLe32(header.data() + 4));
        h.height = static_cast<int32_t>(ReadLe32(header.data() + 8));
        h.planes = ReadLe16(header.data() + 12);
        h.bitCount = ReadLe16(header.data() + 14);
        h.compression = ReadLe32(header.data() + 16);
        h.sizeImage = ReadLe32(header.data() + 20);
        h.xPelsPerMeter = static_cast<int32_t>(ReadLe32(header.data() + 24));
        h.yPelsPerMeter = static_cast<int32_t>(ReadLe32(header.data() + 28));
        h.clrUsed = ReadLe32(header.data() + 32);
        h.clrImportant = ReadLe32(header.data() + 36);
    }
    h.size = kDibInfoHeaderSize;
    return h;
}

bool HasConvertibleShape(const DibHeader& h) {
    const int64_t rows = RowCount(h);
    if (h.width <= 0 || h.width > kDibMaxDimension || rows == 0 || rows > kDibMaxDimension) return false;
    return IsConvertibleFormat(h.compression, h.bitCount, h.height);
}

// Where the bit-field masks and the colour entries stand in the file, right after the information header.
// Bit-field masks follow a 40-byte header; the conversion reads them in place of a colour table, so they
// belong in the working block ahead of any colour entries.
struct ColorTable {
    size_t at = 0;
    size_t maskCount = 0;
    size_t entrySize = 4;  // 3 bytes (blue, green, red) after a core header
    uint32_t entries = 0;
    size_t bytes = 0;
};

ColorTable LocateColorTable(const DibHeader& h, size_t headerEnd, uint32_t headerSize, uint32_t colorCount) {
    ColorTable table;
    table.at = headerEnd;
    table.maskCount = h.compression == kBiBitfields ? 3 : 0;
    table.entrySize = headerSize == kDibCoreHeaderSize ? 3 : 4;
    table.entries = colorCount;
    table.bytes = table.maskCount * 4 + static_cast<size_t>(colorCount) * table.entrySize;
    return table;
}

// The file header's offset of the bits, which must not point into the table; right after the table when the
// file starts with the information header.
bool LocateBits(std::span<const uint8_t> file, bool hasFileHeader, const ColorTable& table,
                size_t& bitsOffset) {
    if (!hasFileHeader) {
        bitsOffset = table.at + table.bytes;
        return true;
    }
    bitsOffset = ReadLe32(file.data() + 10);
    return bitsOffset >= table.at + table.bytes;
}

// The byte-aligned size is what the header field means for uncompressed rows; the conversion itself reads
// rows padded to 4 bytes, or sizeImage bytes of run-length data. The working block holds exactly the table's
// colour entries: the conversion must not look for more.
void FillInWorkingFields(DibHeader& h, uint32_t colorCount) {
    if (h.sizeImage == 0) {
        h.sizeImage =
            static_cast<uint32_t>((static_cast<uint64_t>(h.bitCount) * h.width + 7) / 8 * RowCount(h));
    }
    h.clrUsed = colorCount;
}

uint64_t BitsSize(const DibHeader& h) {
    if (h.compression == kBiRle8 || h.compression == kBiRle4) return h.sizeImage;
    return (static_cast<uint64_t>(h.bitCount) * h.width + 31) / 32 * 4 * RowCount(h);
}

// The working header, then the masks and colour entries widened to 4 bytes. False when out of memory.
bool BuildWorkingInfo(std::span<const uint8_t> file, const ColorTable& table, DibLayout& layout) {
    try {
        layout.info.assign(kDibInfoHeaderSize + (table.maskCount + table.entries) * 4, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    WriteInfoHeader(layout.header, layout.info.data());
    uint8_t* entries = layout.info.data() + kDibInfoHeaderSize;
    const uint8_t* from = file.data() + table.at;
    if (table.entrySize == 4) {
        std::memcpy(entries, from, table.bytes);
        return true;
    }
    for (uint32_t i = 0; i < table.entries; ++i, from += 3, entries += 4) {
        entries[0] = from[0];
        entries[1] = from[1];
        entries[2] = from[2];
        entries[3] = 0;
    }
    return true;
}

}  // namespace

std::string DibFailureMessage(DibFailure failure, const char* path) {
    switch (failure) {
        case DibFailure::None:
            return {};
        case DibFailure::OpenFailed:
            return std::string("Failed to open DIB file ") + (path ? path : "") + ".\n";
        case DibFailure::UnknownFormat:
            return "Unknown DIB file format.";
        case DibFailure::OutOfMemory:
            return "Out of memory.";
        case DibFailure::ConversionError:
            return "Image file conversion error.";
    }
    return {};
}

uint32_t DibColorCount(std::span<const uint8_t> header) {
    if (header.size() < 4) return 0;
    const uint32_t size = ReadLe32(header.data() + 0);
    if (size == kDibCoreHeaderSize && header.size() >= kDibCoreHeaderSize) {
        return ColorCountForBits(ReadLe16(header.data() + 10));
    }
    if (size == kDibInfoHeaderSize && header.size() >= kDibInfoHeaderSize) {
        const uint16_t used = static_cast<uint16_t>(ReadLe32(header.data() + 32));
        if (used != 0) return used;
        return ColorCountForBits(ReadLe16(header.data() + 14));
    }
    return 0;
}

DibParseResult ParseDib(std::span<const uint8_t> file) {
    const bool hasFileHeader = file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
    const size_t headerAt = hasFileHeader ? kDibFileHeaderSize : 0;
    if (file.size() < headerAt + 4) return Fail(DibFailure::ConversionError);

    const uint32_t headerSize = ReadLe32(file.data() + headerAt);
    if (headerSize != kDibCoreHeaderSize && headerSize != kDibInfoHeaderSize) {
        return Fail(DibFailure::UnknownFormat);
    }
    if (file.size() - headerAt < headerSize) return Fail(DibFailure::ConversionError);
    const auto header = file.subspan(headerAt, headerSize);
    const uint32_t n = DibColorCount(header);
    DibHeader h = ReadHeader(header, n);
    if (!HasConvertibleShape(h)) return Fail(DibFailure::ConversionError);

    const ColorTable table = LocateColorTable(h, headerAt + headerSize, headerSize, n);
    if (file.size() - table.at < table.bytes) return Fail(DibFailure::ConversionError);
    DibParseResult result;
    DibLayout& layout = result.layout;
    layout.colorCount = n;
    if (!LocateBits(file, hasFileHeader, table, layout.bitsOffset)) return Fail(DibFailure::ConversionError);

    FillInWorkingFields(h, n);
    const uint64_t bitsSize = BitsSize(h);
    if (layout.bitsOffset > file.size() || file.size() - layout.bitsOffset < bitsSize) {
        return Fail(DibFailure::ConversionError);
    }
    layout.bitsSize = static_cast<size_t>(bitsSize);
    layout.header = h;
    if (!BuildWorkingInfo(file, table, layout)) return Fail(DibFailure::OutOfMemory);
    return result;
}

size_t DibSection24Stride(int32_t width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

DibHeader DibSection24Header(const DibHeader& source) {
    DibHeader target;
    target.size = kDibInfoHeaderSize;
    target.width = source.width;
    target.height = source.height;
    target.planes = 1;
    target.bitCount = 24;
    target.compression = kBiRgb;
    const size_t rows = source.height < 0 ? -static_cast<int64_t>(source.height) : source.height;
    target.sizeImage = static_cast<uint32_t>(rows * DibSection24Stride(source.width));
    return target;
}

RgbImagePtr RepackSection24(std::span<const uint8_t> section, int32_t width, int32_t height) {
    if (width < 0 || width > kDibMaxDimension || height < -kDibMaxDimension || height > kDibMaxDimension) {
        return nullptr;
    }
    const size_t rows = height < 0 ? static_cast<size_t>(-height) : static_cast<size_t>(height);
    const size_t stride = DibSection24Stride(width);
    if (section.size() < rows * stride) return nullptr;

    const size_t outBytes = rows * static_cast<size_t>(width) * 3;
    auto* data = static_cast<uint8_t*>(std::malloc(outBytes == 0 ? 1 : outBytes));
    if (data == nullptr) return nullptr;
    uint8_t* out = data;
    for (size_t r = 0; r < rows; ++r) {
        // A top-down section holds the top row first; the image always starts with the bottom row.
        const size_t from = height < 0 ? rows - 1 - r : r;
        const uint8_t* in = section.data() + from * stride;
        for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    auto* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (image == nullptr) {
        std::free(data);
        return nullptr;
    }
    image->width = width;
    image->height = static_cast<int32_t>(rows);
    image->data = data;
    return RgbImagePtr(image);
}

DibDecodeResult DecodeDib(std::span<const uint8_t> file) {
    DibDecodeResult result;
    DibParseResult parsed = ParseDib(file);
    if (parsed.failure != DibFailure::None) {
        result.failure = parsed.failure;
        return result;
    }
    const DibHeader& h = parsed.layout.header;
    std::vector<uint8_t> section;
    try {
        section.assign(DibSection24Header(h).sizeImage, 0);
    } catch (const std::bad_alloc&) {
        result.failure = DibFailure::OutOfMemory;
        return result;
    }
    if (!ConvertDibBits(parsed.layout, file, section)) {
        result.failure = DibFailure::ConversionError;
        return result;
    }
    result.image = RepackSection24(section, h.width, h.height);
    if (!result.image) result.failure = DibFailure::OutOfMemory;
    return result;
}

}  // namespace orvalis
