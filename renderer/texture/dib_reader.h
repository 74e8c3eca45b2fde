// The platform-free half of the texture bitmap reader: header logic over the bytes of a bitmap file, the
// repack of a 24-bit section into RgbImage rows, and the project's own pixel converter for Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "renderer/texture/rgb_image.h"

namespace orvalis {

// Field values of a 40-byte bitmap information header.
constexpr uint32_t kDibCoreHeaderSize = 12;
constexpr uint32_t kDibInfoHeaderSize = 40;
constexpr uint32_t kDibFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// Larger images are refused, so that no size computed from a header can overflow an allocation.
constexpr int32_t kDibMaxDimension = 16384;

// Why a bitmap could not be read; each failure shows exactly one message.
enum class DibFailure {
    None,
    OpenFailed,       // the file could not be opened or mapped
    UnknownFormat,    // the information header is neither 12 nor 40 bytes
    OutOfMemory,      // an allocation or a GDI object failed
    ConversionError,  // the header does not describe pixels the file holds, or they cannot be converted
};

// The text of the message box for a failure; the open failure names the path.
std::string DibFailureMessage(DibFailure failure, const char* path);

// The 40-byte information header in plain fields.
struct DibHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

// Number of colour-table entries of an information header (12 or 40 bytes, starting at header[0]).
// Core header: by bit count. 40-byte header: the colours-used field as a 16-bit value when it is not
// zero, otherwise by bit count. Bit count 1 gives 2, 4 gives 16, 8 gives 256, anything else 0.
uint32_t DibColorCount(std::span<const uint8_t> header);

// A bitmap file checked and turned into the form the system's conversion takes.
struct DibLayout {
    // The working bitmap-information block: a 40-byte header, then the bit-field masks (three 4-byte
    // entries, only for BI_BITFIELDS) and the colour entries (blue, green, red, 0).
    std::vector<uint8_t> info;
    DibHeader header;         // the working header as written into `info`, with its fill-ins
    uint32_t colorCount = 0;  // DibColorCount of the file's header; the entries that follow the masks
    size_t bitsOffset = 0;    // where the pixel bits start in the file
    size_t bitsSize = 0;      // bytes from bitsOffset that the conversion reads; all inside the file
};

struct DibParseResult {
    DibFailure failure = DibFailure::None;
    DibLayout layout;
};

// Reads the file and information headers, the colour table and the position of the bits, and checks that
// everything the header describes lies inside the file. Never reads outside `file`.
DibParseResult ParseDib(std::span<const uint8_t> file);

// Bytes per row of a 24-bit section: 3 x width rounded up to a multiple of 4.
size_t DibSection24Stride(int32_t width);

// The section the pixels are converted into: the working header's width and height (negative for
// top-down rows), 1 plane, 24 bits, BI_RGB.
DibHeader DibSection24Header(const DibHeader& source);

// The project's own conversion of the file's pixels into a 24-bit section laid out like
// DibSection24Header(layout.header): uncompressed 1, 4, 8, 16, 24 and 32 bits and 16/32-bit bit fields.
// False for anything it cannot convert (run-length encodings). `section` holds |height| x stride bytes.
bool ConvertDibBits(const DibLayout& layout, std::span<const uint8_t> file, std::span<uint8_t> section);

struct RgbImageDeleter {
    void operator()(RgbImage* image) const { FreeRgbImage(image); }
};
using RgbImagePtr = std::unique_ptr<RgbImage, RgbImageDeleter>;

// Repacks a 24-bit section (blue, green, red; rows padded to 4 bytes; top row first when height < 0) into
// an RgbImage of red, green, blue bytes, bottom row first, allocated with malloc. Null when out of memory.
RgbImagePtr RepackSection24(std::span<const uint8_t> section, int32_t width, int32_t height);

struct DibDecodeResult {
    DibFailure failure = DibFailure::None;
    RgbImagePtr image;
};

// The whole reader without the system: bytes of a bitmap file in, RgbImage or the failure out.
DibDecodeResult DecodeDib(std::span<const uint8_t> file);

}  // namespace orvalis
