// The project's own conversion of bitmap pixels into a 24-bit section, used where the system's is not at
// hand (the Linux build and the fuzz target). It writes the bytes the system's conversion writes for the
// same uncompressed data, row for row in the file's storage order.
#include <bit>
#include <cstring>

#include "renderer/dib_reader.h"

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

uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ConvertDibBits(const DibLayout& layout, std::span<const uint8_t> file, std::span<uint8_t> section) {
    const DibHeader& h = layout.header;
    const bool bitfields = h.compression == kBiBitfields;
    if (h.compression != kBiRgb && !(bitfields && (h.bitCount == 16 || h.bitCount == 32))) return false;
    if (h.width <= 0 || h.width > kDibMaxDimension || h.height == 0 || h.height < -kDibMaxDimension ||
        h.height > kDibMaxDimension) {
        return false;
    }
    const size_t width = static_cast<size_t>(h.width);
    const size_t rows = h.height < 0 ? static_cast<size_t>(-h.height) : static_cast<size_t>(h.height);
    const size_t srcStride = (static_cast<size_t>(h.bitCount) * width + 31) / 32 * 4;
    const size_t dstStride = DibSection24Stride(h.width);
    if (section.size() < rows * dstStride) return false;
    if (layout.bitsOffset > file.size() || file.size() - layout.bitsOffset < rows * srcStride) return false;

    const size_t maskCount = bitfields ? 3 : 0;
    const size_t tableBytes = (maskCount + layout.colorCount) * 4;
    if (layout.info.size() < kDibInfoHeaderSize + tableBytes) return false;
    const uint8_t* masks = layout.info.data() + kDibInfoHeaderSize;
    const uint8_t* palette = masks + maskCount * 4;
    const uint32_t paletteSize = layout.colorCount;

    ChannelMask red, green, blue;
    if (bitfields) {
        red = MakeChannel(ReadLe32(masks));
        green = MakeChannel(ReadLe32(masks + 4));
        blue = MakeChannel(ReadLe32(masks + 8));
    } else if (h.bitCount == 16) {
        red = MakeChannel(0x7C00);
        green = MakeChannel(0x03E0);
        blue = MakeChannel(0x001F);
    } else if (h.bitCount == 32) {
        red = MakeChannel(0x00FF0000);
        green = MakeChannel(0x0000FF00);
        blue = MakeChannel(0x000000FF);
    }
    const uint8_t* bits = file.data() + layout.bitsOffset;
    for (size_t r = 0; r < rows; ++r) {
        const uint8_t* in = bits + r * srcStride;
        uint8_t* out = section.data() + r * dstStride;
        for (size_t x = 0; x < width; ++x, out += 3) {
            switch (h.bitCount) {
                case 1:
                case 4:
                case 8: {
                    const unsigned perByte = 8 / h.bitCount;
                    const unsigned shift = 8 - h.bitCount * (1 + x % perByte);
                    const uint32_t index = (in[x / perByte] >> shift) & ((1u << h.bitCount) - 1);
                    // An index past the colour table reads as black.
                    if (index < paletteSize) {
                        std::memcpy(out, palette + index * 4, 3);
                    } else {
                        out[0] = out[1] = out[2] = 0;
                    }
                    break;
                }
                case 16:
                case 32: {
                    const uint32_t pixel = h.bitCount == 16
                                               ? static_cast<uint32_t>(in[x * 2] | (in[x * 2 + 1] << 8))
                                               : ReadLe32(in + x * 4);
                    out[0] = ExpandChannel(pixel, blue);
                    out[1] = ExpandChannel(pixel, green);
                    out[2] = ExpandChannel(pixel, red);
                    break;
                }
                case 24:
                    std::memcpy(out, in + x * 3, 3);
                    break;
                default:
                    return false;
            }
        }
    }
    return true;
}

}  // namespace orvalis
