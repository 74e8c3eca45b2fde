// The project's own conversion of bitmap pixels into a 24-bit section. Used where the platform offers no DIB
// conversion (the Linux renderer, which decodes the host's ring picture with it), by the fuzz target, and by
// the tests, which check the system's conversion against it. It writes the bytes the system's conversion
// writes for the same uncompressed data, row for row in the file's storage order.
#include <bit>
#include <cstring>

#include "common/little_endian.h"
#include "renderer/texture/dib_reader.h"

namespace orvalis {

namespace {

struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

ChannelMask MakeChannel(uint32_t mask) {
    ChannelMask channel;
    channel.mask = mask;
    if (mask != 0) {
        channel.shift = std::countr_zero(mask);
        channel.bits = std::popcount(mask);
    }
    return channel;
}

// Scales a channel of `bits` bits to 8 bits by repeating its bit pattern, so that full scale maps to 255.
uint8_t ExpandChannel(uint32_t pixel, const ChannelMask& channel) {
    if (channel.bits == 0) return 0;
    uint32_t value = (pixel & channel.mask) >> channel.shift;
    if (channel.bits >= 8) return static_cast<uint8_t>(value >> (channel.bits - 8));
    uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
        wide = (wide << channel.bits) | value;
        filled += channel.bits;
    }
    return static_cast<uint8_t>(wide >> (filled - 8));
}

struct Channels {
    ChannelMask red;
    ChannelMask green;
    ChannelMask blue;
};

// The masks from the file for bit fields; the fixed 5-5-5 and 8-8-8 layouts of plain 16 and 32 bits.
Channels ChannelsOf(const DibHeader& h, const uint8_t* masks) {
    if (h.compression == kBiBitfields) {
        return Channels{MakeChannel(ReadLe32(masks)), MakeChannel(ReadLe32(masks + 4)),
                        MakeChannel(ReadLe32(masks + 8))};
    }
    if (h.bitCount == 16) return Channels{MakeChannel(0x7C00), MakeChannel(0x03E0), MakeChannel(0x001F)};
    if (h.bitCount == 32)
        return Channels{MakeChannel(0x00FF0000), MakeChannel(0x0000FF00), MakeChannel(0x000000FF)};
    return Channels{};
}

bool HasConvertibleHeader(const DibHeader& h) {
    const bool bitfields = h.compression == kBiBitfields;
    if (h.compression != kBiRgb && !(bitfields && (h.bitCount == 16 || h.bitCount == 32))) return false;
    return h.width > 0 && h.width <= kDibMaxDimension && h.height != 0 && h.height >= -kDibMaxDimension &&
           h.height <= kDibMaxDimension;
}

bool IsConvertibleBitCount(uint16_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// What one conversion reads and writes, checked to lie inside the file, the working block and the section.
struct Conversion {
    const uint8_t* bits = nullptr;
    uint8_t* section = nullptr;
    size_t width = 0;
    size_t rows = 0;
    size_t srcStride = 0;
    size_t dstStride = 0;
    uint16_t bitCount = 0;
    const uint8_t* palette = nullptr;
    uint32_t paletteSize = 0;
    Channels channels;
};

bool PlanConversion(const DibLayout& layout, std::span<const uint8_t> file, std::span<uint8_t> section,
                    Conversion& plan) {
    const DibHeader& h = layout.header;
    plan.width = static_cast<size_t>(h.width);
    plan.rows = h.height < 0 ? static_cast<size_t>(-h.height) : static_cast<size_t>(h.height);
    plan.srcStride = (static_cast<size_t>(h.bitCount) * plan.width + 31) / 32 * 4;
    plan.dstStride = DibSection24Stride(h.width);
    if (section.size() < plan.rows * plan.dstStride) return false;
    if (layout.bitsOffset > file.size() || file.size() - layout.bitsOffset < plan.rows * plan.srcStride)
        return false;

    const size_t maskCount = h.compression == kBiBitfields ? 3 : 0;
    const size_t tableBytes = (maskCount + layout.colorCount) * 4;
    if (layout.info.size() < kDibInfoHeaderSize + tableBytes) return false;
    const uint8_t* masks = layout.info.data() + kDibInfoHeaderSize;
    plan.palette = masks + maskCount * 4;
    plan.paletteSize = layout.colorCount;
    plan.channels = ChannelsOf(h, masks);
    plan.bits = file.data() + layout.bitsOffset;
    plan.section = section.data();
    plan.bitCount = h.bitCount;
    return true;
}

// An index past the colour table reads as black.
void ConvertIndexedPixel(const Conversion& plan, const uint8_t* in, size_t x, uint8_t* out) {
    const unsigned perByte = 8 / plan.bitCount;
    const unsigned shift = 8 - plan.bitCount * (1 + x % perByte);
    const uint32_t index = (in[x / perByte] >> shift) & ((1u << plan.bitCount) - 1);
    if (index < plan.paletteSize) {
        std::memcpy(out, plan.palette + index * 4, 3);
    } else {
        out[0] = out[1] = out[2] = 0;
    }
}

void ConvertMaskedPixel(const Conversion& plan, const uint8_t* in, size_t x, uint8_t* out) {
    const uint32_t pixel = plan.bitCount == 16 ? ReadLe16(in + x * 2) : ReadLe32(in + x * 4);
    out[0] = ExpandChannel(pixel, plan.channels.blue);
    out[1] = ExpandChannel(pixel, plan.channels.green);
    out[2] = ExpandChannel(pixel, plan.channels.red);
}

void ConvertRow(const Conversion& plan, size_t row) {
    const uint8_t* in = plan.bits + row * plan.srcStride;
    uint8_t* out = plan.section + row * plan.dstStride;
    for (size_t x = 0; x < plan.width; ++x, out += 3) {
        if (plan.bitCount <= 8) {
            ConvertIndexedPixel(plan, in, x, out);
        } else if (plan.bitCount == 24) {
            std::memcpy(out, in + x * 3, 3);
        } else {
            ConvertMaskedPixel(plan, in, x, out);
        }
    }
}

}  // namespace

bool ConvertDibBits(const DibLayout& layout, std::span<const uint8_t> file, std::span<uint8_t> section) {
    Conversion plan;
    if (!HasConvertibleHeader(layout.header) || !PlanConversion(layout, file, section, plan)) return false;
    if (!IsConvertibleBitCount(plan.bitCount)) return false;
    for (size_t row = 0; row < plan.rows; ++row) ConvertRow(plan, row);
    return true;
}

}  // namespace orvalis
