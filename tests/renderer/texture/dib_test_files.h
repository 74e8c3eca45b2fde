// Small bitmap files built in memory for the reader's tests, with the pixels each one should decode to.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/little_endian.h"

namespace dibtest {

using Bytes = std::vector<uint8_t>;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// A distinct colour for every pixel of a small picture; y counts rows from the bottom.
inline Rgb PixelAt(int x, int y) {
    return {static_cast<uint8_t>(16 * x + y + 1), static_cast<uint8_t>(100 + 7 * y),
            static_cast<uint8_t>(250 - 9 * x - y)};
}

// The fields go in through the programs' own little-endian writers.
inline void Put16(Bytes& b, uint32_t v) {
    orvalis::AppendLe16(b, static_cast<uint16_t>(v));
}

inline void Put32(Bytes& b, uint32_t v) {
    orvalis::AppendLe32(b, v);
}

inline void Set32(Bytes& b, size_t at, uint32_t v) {
    orvalis::StoreLe32(b.data() + at, v);
}

struct InfoFile {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    Bytes table;  // colour entries or masks, exactly as stored after the header
    Bytes bits;   // rows as stored, already padded
    bool fileHeader = true;
    uint32_t headerSize = 40;  // other sizes make a header the reader must refuse
};

// A file with the 40-byte header (or a longer one, zero-filled past 40 bytes).
inline Bytes Build(const InfoFile& f) {
    Bytes b;
    const uint32_t offset = (f.fileHeader ? 14 : 0) + f.headerSize + static_cast<uint32_t>(f.table.size());
    if (f.fileHeader) {
        b.push_back('B');
        b.push_back('M');
        Put32(b, offset + static_cast<uint32_t>(f.bits.size()));
        Put32(b, 0);
        Put32(b, offset);
    }
    Put32(b, f.headerSize);
    Put32(b, static_cast<uint32_t>(f.width));
    Put32(b, static_cast<uint32_t>(f.height));
    Put16(b, 1);
    Put16(b, f.bitCount);
    Put32(b, f.compression);
    Put32(b, f.sizeImage);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, f.clrUsed);
    Put32(b, 0);
    b.resize(b.size() + (f.headerSize - 40), 0);
    b.insert(b.end(), f.table.begin(), f.table.end());
    b.insert(b.end(), f.bits.begin(), f.bits.end());
    return b;
}

// A file with the 12-byte core header; `table` holds 3-byte entries.
inline Bytes BuildCore(uint16_t width, uint16_t height, uint16_t bitCount, const Bytes& table,
                       const Bytes& bits, bool fileHeader = true) {
    Bytes b;
    const uint32_t offset = (fileHeader ? 14 : 0) + 12 + static_cast<uint32_t>(table.size());
    if (fileHeader) {
        b.push_back('B');
        b.push_back('M');
        Put32(b, offset + static_cast<uint32_t>(bits.size()));
        Put32(b, 0);
        Put32(b, offset);
    }
    Put32(b, 12);
    Put16(b, width);
    Put16(b, height);
    Put16(b, 1);
    Put16(b, bitCount);
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// 24-bit rows of PixelAt, bottom row first (or top row first), padded with a non-zero filler byte so a
// reader that fails to skip the padding shows it.
inline Bytes Rows24(int width, int height, bool topDown = false) {
    Bytes b;
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? height - 1 - i : i;
        for (int x = 0; x < width; ++x) {
            const Rgb p = PixelAt(x, y);
            b.push_back(p.b);
            b.push_back(p.g);
            b.push_back(p.r);
        }
        while (b.size() % 4 != 0) b.push_back(0xEE);
    }
    return b;
}

inline InfoFile Picture24(int width, int height) {
    InfoFile f;
    f.width = width;
    f.height = height;
    f.bits = Rows24(width, height);
    return f;
}

// The colour of palette entry i in the palettised pictures.
inline Rgb PaletteColor(int i) {
    return {static_cast<uint8_t>(i * 37 + 5), static_cast<uint8_t>(255 - i * 11),
            static_cast<uint8_t>(i * 3)};
}

inline Bytes PaletteTable(int count, int entrySize = 4) {
    Bytes b;
    for (int i = 0; i < count; ++i) {
        const Rgb c = PaletteColor(i);
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        if (entrySize == 4) b.push_back(0);
    }
    return b;
}

// Palette index of pixel (x, y) in a picture with `colors` entries.
inline int IndexAt(int x, int y, int colors) {
    return (x * 3 + y * 5) % colors;
}

// Rows of palette indices, packed at 1, 4 or 8 bits, bottom row first, each padded to 4 bytes.
inline Bytes IndexRows(int width, int height, int bitCount, int colors) {
    Bytes b;
    for (int y = 0; y < height; ++y) {
        const size_t rowStart = b.size();
        const size_t rowBytes = (static_cast<size_t>(bitCount) * width + 31) / 32 * 4;
        b.resize(rowStart + rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const int bitPos = x * bitCount;
            const int shift = 8 - bitCount - bitPos % 8;
            b[rowStart + bitPos / 8] |= static_cast<uint8_t>(IndexAt(x, y, colors) << shift);
        }
    }
    return b;
}

inline InfoFile Palettised(int width, int height, int bitCount) {
    const int colors = 1 << bitCount;
    InfoFile f;
    f.width = width;
    f.height = height;
    f.bitCount = static_cast<uint16_t>(bitCount);
    f.table = PaletteTable(colors);
    f.bits = IndexRows(width, height, bitCount, colors);
    return f;
}

// Expected decode of the pictures above: rows bottom first, RGB bytes.
inline Bytes ExpectedPixels(int width, int height) {
    Bytes b;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb p = PixelAt(x, y);
            b.insert(b.end(), {p.r, p.g, p.b});
        }
    }
    return b;
}

inline Bytes ExpectedPalettised(int width, int height, int colors) {
    Bytes b;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = PaletteColor(IndexAt(x, y, colors));
            b.insert(b.end(), {c.r, c.g, c.b});
        }
    }
    return b;
}

inline Bytes ReadWholeFile(const char* path) {
    Bytes bytes;
    if (std::FILE* f = std::fopen(path, "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

}  // namespace dibtest
